// The uploads folder: files sent to "/rpc/sendsnapshot" and
// "/rpc/senddriverstats", kept as KIND/NNNN-PART-FILENAME, and the install
// pings of "/rpc/sendinstall", one line each in "installs.log".
#pragma once

#include <atomic>
#include <mutex>
#include <string>

namespace tav::service {

class UploadStore {
 public:
  bool Open(const std::string& root, std::string* error);
  // The stored file's host path; empty when it cannot be written.
  std::string StoreFile(const std::string& kind,
                        const std::string& part,
                        const std::string& filename,
                        const std::string& content);
  bool RecordInstall(const std::string& partner, const std::string& build);

 private:
  std::string root_;
  std::atomic<int> counter_{0};
  std::mutex installs_mutex_;
};

}  // namespace tav::service
