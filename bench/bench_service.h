// tavrolin-service on 127.0.0.1 for the download benchmarks, and the large
// pseudo-random files they and the digest benchmark work on.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

namespace tav::bench {

// bytes of a fixed pseudo-random sequence (the same file every run); the
// folders are made as needed. False when it cannot be written whole.
bool WriteRandomFile(const std::string& host_path, uint64_t bytes);

// The service serving a content folder on a free port, stopped with SIGTERM
// when the object goes. ok() is false when it did not say where it listens.
class BenchService {
 public:
  explicit BenchService(const std::string& content);
  ~BenchService();
  BenchService(const BenchService&) = delete;
  BenchService& operator=(const BenchService&) = delete;

  bool ok() const { return !host_.empty(); }
  const std::string& host() const { return host_; }  // 127.0.0.1:PORT

  // TAVROLIN_TOOLS/tavrolin-service, else the one beside the benchmarks.
  static std::string Path();

 private:
  pid_t pid_ = -1;
  std::string host_;
};

}  // namespace tav::bench
