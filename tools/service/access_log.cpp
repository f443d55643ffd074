#include "tools/service/access_log.h"

namespace tav::service {

namespace {

thread_local uint64_t t_sent_bytes = 0;

std::string HeaderOrDash(const httplib::Request& req, const char* name) {
  const std::string value = req.get_header_value(name);
  return value.empty() ? "-" : value;
}

}  // namespace

void BeginRequestCount() {
  t_sent_bytes = 0;
}
void CountSentBytes(uint64_t bytes) {
  t_sent_bytes += bytes;
}

bool AccessLog::Open(const std::string& path, std::string* error) {
  out_.open(path, std::ios::app);
  if (!out_)
    *error = "cannot open the access log " + path;
  return static_cast<bool>(out_);
}

void AccessLog::Write(const httplib::Request& req, const httplib::Response& res) {
  uint64_t bytes = t_sent_bytes;
  if (req.method != "HEAD")
    bytes += res.body.size();
  const std::string line = req.method + "\t" + req.target + "\t" + std::to_string(res.status) +
                           "\t" + std::to_string(bytes) + "\t" + HeaderOrDash(req, "Range") + "\t" +
                           HeaderOrDash(req, "User-Agent") + "\n";
  std::lock_guard<std::mutex> lock(mutex_);
  out_ << line;
  out_.flush();
}

}  // namespace tav::service
