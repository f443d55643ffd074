// The command line of tavrolin-service.
#pragma once

#include <string>
#include <vector>

namespace tav::service {

struct ServiceOptions {
  std::string content;  // --content DIR: databases/ and downloads/
  std::string bind = "127.0.0.1";
  int port = 0;                  // 0 picks a free port
  std::string faults;            // --faults FILE, empty for none
  std::string uploads;           // --uploads DIR, default CONTENT/uploads
  std::string access_log;        // --access-log FILE, default CONTENT/access.log
  std::string proxy_login;       // --proxy-login USER:PASSWORD for proxied requests
  int threads = 32;              // requests served at the same time
  bool stop_with_stdin = false;  // stops when its standard input ends
};

// False with a message for the user when the arguments do not make sense.
bool ParseServiceOptions(const std::vector<std::string>& args,
                         ServiceOptions* options,
                         std::string* error);

const char* ServiceUsage();

}  // namespace tav::service
