// The access log: one line per request, appended and flushed at once, so a
// test can read what the client sent. Fields, separated by tabs: method,
// request target (path with query), status, body bytes sent, the Range header
// ("-" when none), the user agent ("-" when none).
#pragma once

#include <httplib.h>

#include <cstdint>
#include <fstream>
#include <mutex>
#include <string>

namespace tav::service {

// Body bytes the current request has sent so far. A request is served on one
// thread from start to end, so the count lives with the thread.
void BeginRequestCount();
void CountSentBytes(uint64_t bytes);

class AccessLog {
 public:
  bool Open(const std::string& path, std::string* error);
  void Write(const httplib::Request& req, const httplib::Response& res);

 private:
  std::mutex mutex_;
  std::ofstream out_;
};

}  // namespace tav::service
