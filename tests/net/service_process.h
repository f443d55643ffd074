// tavrolin-service run as a process for one test: started on 127.0.0.1 with
// --port 0 (the port read from its first line), stopped with SIGTERM when
// the object goes. The binary is found in TAVROLIN_TOOLS. Every wait is
// bounded.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace tav::testing {

// One line of the service's access log.
struct AccessLine {
  std::string method;
  std::string target;  // path with query
  int status = 0;
  uint64_t bytes = 0;
  std::string range;  // "-" when none
  std::string agent;
};

class ServiceProcess {
 public:
  // content: the folder the service serves; extra: more arguments.
  explicit ServiceProcess(const std::string& content, const std::vector<std::string>& extra = {});
  ~ServiceProcess();
  ServiceProcess(const ServiceProcess&) = delete;
  ServiceProcess& operator=(const ServiceProcess&) = delete;

  bool ok() const { return port_ > 0; }
  int port() const { return port_; }
  std::string host() const { return "127.0.0.1:" + std::to_string(port_); }
  std::string url(const std::string& path) const { return "http://" + host() + path; }
  const std::string& first_line() const { return first_line_; }
  const std::string& access_log_path() const { return access_log_; }
  const std::string& uploads_path() const { return uploads_; }

  // Replaces the fault rules through the admin endpoint.
  bool SetFaults(const nlohmann::json& faults);
  bool ClearFaults() { return SetFaults({{"rules", nlohmann::json::array()}}); }

  std::vector<AccessLine> AccessLog() const;
  // The access log once done() accepts it, or as it is after timeout_ms (the
  // service writes a line just after it has answered).
  std::vector<AccessLine> WaitForAccessLog(
      const std::function<bool(const std::vector<AccessLine>&)>& done,
      int timeout_ms = 5000) const;
  // Lines for a path (the target without its query), in order.
  std::vector<AccessLine> AccessFor(const std::string& path) const;
  // The same once at least count are there, or as they are after timeout_ms.
  std::vector<AccessLine> AccessFor(const std::string& path,
                                    size_t count,
                                    int timeout_ms = 5000) const;

  // Sends SIGTERM and waits; the exit code, or -1 when it had to be killed.
  int Stop();
  // Closes the service's standard input and waits for it to stop by itself;
  // the exit code, or -1 when it had to be killed.
  int EndInput();
  pid_t pid() const { return pid_; }

 private:
  int StopProcess();
  int WaitForExit(bool terminate);

  pid_t pid_ = -1;
  int input_ = -1;  // the write end of the service's standard input
  int port_ = 0;
  std::string first_line_;
  std::string access_log_;
  std::string uploads_;
  std::string stdout_path_;
};

// The first line with this method and range ("-" for none). The service
// logs a request just after answering it, so requests that overlap may be
// logged in either order: tests look lines up instead.
const AccessLine* FindAccess(const std::vector<AccessLine>& lines,
                             std::string_view method,
                             std::string_view range);

std::string ServicePath();

// tavrolin-service run to its end with these arguments (killed after
// timeout_ms): for command lines that make it stop at once.
struct ServiceRun {
  int exit_code = -1;
  std::string out;
  std::string err;
};
ServiceRun RunService(const std::vector<std::string>& args, int timeout_ms = 10000);

}  // namespace tav::testing
