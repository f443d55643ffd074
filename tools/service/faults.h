// Injected faults, per request path, for the tests of the program's
// transport. A faults text is a JSON object {"rules": [RULE, ...]}; a rule:
//
//   "path"               the request path without its query (required)
//   "method"             only for this method ("GET", "HEAD", ...); any when absent
//   "times"              applies to this many requests, then no more; always when absent
//   "delay_ms"           waits this long before the answer, or, with
//   "delay_after"        (bytes), after sending that much of the body
//   "status"             answers this status with a short text body instead (407, 404, 500)
//   "drop_after"         closes the connection after that many body bytes
//   "no_content_length"  sends the body without a Content-Length, ended by closing
//   "corrupt"            changes one byte in every 4096 of the body
//
// The first rule that matches a request and has times left is taken.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace tav::service {

struct FaultRule {
  std::string path;
  std::string method;
  int64_t times = -1;  // -1: always
  int delay_ms = 0;
  int64_t delay_after = -1;  // -1: before the answer
  int status = 0;
  int64_t drop_after = -1;
  bool no_content_length = false;
  bool corrupt = false;
};

class FaultSet {
 public:
  // Replaces every rule; false with a reason (the rules stay) when the text
  // is not a valid faults object.
  bool Replace(const nlohmann::json& faults, std::string* error);
  bool LoadFile(const std::string& path, std::string* error);
  nlohmann::json ToJson() const;
  // The rule for this request, counted as used.
  std::optional<FaultRule> Take(const std::string& method, const std::string& path);

 private:
  mutable std::mutex mutex_;
  std::vector<FaultRule> rules_;
};

// The fault taken for the request this thread serves (none: all defaults).
void SetRequestFault(const std::optional<FaultRule>& rule);
const FaultRule& RequestFault();

}  // namespace tav::service
