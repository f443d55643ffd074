// What the content folder offers:
//
//   databases/ARCH/OS/Drivers.7z   the driver database for 32- or 64-bit
//                                  Windows of an OS code, holding "Drivers.db"
//   downloads/NAME                 the driver packages
//
// The folder is looked at on every question, so content can change while the
// service runs; a database's date and MD5 are kept until its file changes.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace tav::service {

struct DatabaseFacts {
  std::string arch, os;
  std::string file;      // host path of its Drivers.7z
  std::string url_path;  // "/databases/64/7/Drivers.7z"
  std::string date;      // "yyyy-mm-dd", empty when unreadable
  std::string md5;
};

class ContentCatalogue {
 public:
  explicit ContentCatalogue(std::string root) : root_(std::move(root)) {}

  std::optional<DatabaseFacts> Database(const std::string& arch, const std::string& os);
  // The newest date of all databases; empty when there is none.
  std::string NewestDatabaseDate();
  // Host path of a package or database file by its request path; empty when
  // there is no such file or the name leaves the content folder.
  std::string FileForPath(const std::string& request_path) const;

 private:
  struct Cached {
    uint64_t size = 0;
    int64_t mtime_ns = 0;
    DatabaseFacts facts;
  };
  std::optional<DatabaseFacts> Facts(const std::string& arch, const std::string& os);

  std::string root_;
  std::mutex mutex_;
  std::map<std::string, Cached> cache_;
};

}  // namespace tav::service
