#include "tests/net/service_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/net/http_fetch.h"

extern char** environ;

namespace tav::testing {

namespace {

constexpr int kStartTimeoutMs = 10000;
constexpr int kStopTimeoutMs = 10000;

using Clock = std::chrono::steady_clock;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  std::stringstream in(line);
  std::string field;
  while (std::getline(in, field, '\t'))
    fields.push_back(field);
  return fields;
}

int PortOf(const std::string& line) {
  const size_t colon = line.rfind(':');
  return colon == std::string::npos ? 0 : std::atoi(line.c_str() + colon + 1);
}

bool Exited(pid_t pid, int* status) {
  return waitpid(pid, status, WNOHANG) == pid;
}

}  // namespace

std::string ServicePath() {
  const char* tools = getenv("TAVROLIN_TOOLS");
  return std::string(tools && *tools ? tools : ".") + "/tavrolin-service";
}

ServiceRun RunService(const std::vector<std::string>& args, int timeout_ms) {
  char pattern[] = "/tmp/tavrolin-service-run-XXXXXX";
  const std::string folder = mkdtemp(pattern) ? pattern : "/tmp";
  const std::string out = folder + "/out", err = folder + "/err";
  std::vector<std::string> command = {ServicePath()};
  command.insert(command.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : command)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ServiceRun run;
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc == 0) {
    int status = 0;
    const auto end = Clock::now() + std::chrono::milliseconds(timeout_ms);
    bool exited = false;
    while (!(exited = Exited(pid, &status)) && Clock::now() < end) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!exited) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
    }
    run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  run.out = ReadAll(out);
  run.err = ReadAll(err);
  unlink(out.c_str());
  unlink(err.c_str());
  rmdir(folder.c_str());
  return run;
}

ServiceProcess::ServiceProcess(const std::string& content, const std::vector<std::string>& extra) {
  access_log_ = content + "/access.log";
  uploads_ = content + "/uploads";
  stdout_path_ = content + "/service.out";
  std::vector<std::string> args = {ServicePath(), "--content", content,
                                   "--port",      "0",         "--stop-with-stdin"};
  args.insert(args.end(), extra.begin(), extra.end());
  std::vector<char*> argv;
  for (std::string& a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  // The service reads its input from a pipe whose other end only this
  // process holds: should the test die, the service stops too. Its output
  // goes to files, so no test runner waits on it.
  int input[2] = {-1, -1};
  if (pipe2(input, O_CLOEXEC) != 0)
    return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, input[0], 0);
  posix_spawn_file_actions_addopen(&actions, 1, stdout_path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_addopen(&actions, 2, (content + "/service.err").c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int rc = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(input[0]);
  input_ = input[1];
  if (rc != 0) {
    pid_ = -1;
    return;
  }
  const auto end = Clock::now() + std::chrono::milliseconds(kStartTimeoutMs);
  int status = 0;
  while (Clock::now() < end) {
    const std::string out = ReadAll(stdout_path_);
    if (out.find('\n') != std::string::npos) {
      first_line_ = out.substr(0, out.find('\n'));
      port_ = PortOf(first_line_);
      return;
    }
    if (Exited(pid_, &status)) {
      pid_ = -1;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

ServiceProcess::~ServiceProcess() {
  Stop();
}

int ServiceProcess::Stop() {
  const int status = StopProcess();
  if (input_ >= 0)
    close(input_);
  input_ = -1;
  return status;
}

int ServiceProcess::EndInput() {
  if (input_ >= 0)
    close(input_);
  input_ = -1;
  return WaitForExit(false);
}

int ServiceProcess::StopProcess() {
  return WaitForExit(true);
}

int ServiceProcess::WaitForExit(bool terminate) {
  if (pid_ <= 0)
    return -1;
  if (terminate)
    kill(pid_, SIGTERM);
  int status = 0;
  const auto end = Clock::now() + std::chrono::milliseconds(kStopTimeoutMs);
  while (!Exited(pid_, &status)) {
    if (Clock::now() > end) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
      pid_ = -1;
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  pid_ = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool ServiceProcess::SetFaults(const nlohmann::json& faults) {
  FetchOptions options;
  options.method = "POST";
  options.body = faults.dump();
  const FetchResult result = Fetch(url("/admin/faults"), options);
  return result.status == 200;
}

std::vector<AccessLine> ServiceProcess::AccessLog() const {
  std::vector<AccessLine> lines;
  std::stringstream in(ReadAll(access_log_));
  std::string text;
  while (std::getline(in, text)) {
    const std::vector<std::string> f = SplitTabs(text);
    if (f.size() < 6)
      continue;
    lines.push_back({f[0], f[1], std::atoi(f[2].c_str()), std::stoull(f[3]), f[4], f[5]});
  }
  return lines;
}

std::vector<AccessLine> ServiceProcess::WaitForAccessLog(
    const std::function<bool(const std::vector<AccessLine>&)>& done,
    int timeout_ms) const {
  const auto end = Clock::now() + std::chrono::milliseconds(timeout_ms);
  std::vector<AccessLine> lines = AccessLog();
  while (!done(lines) && Clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    lines = AccessLog();
  }
  return lines;
}

std::vector<AccessLine> ServiceProcess::AccessFor(const std::string& path) const {
  std::vector<AccessLine> found;
  for (const AccessLine& line : AccessLog()) {
    if (line.target.substr(0, line.target.find('?')) == path)
      found.push_back(line);
  }
  return found;
}

std::vector<AccessLine> ServiceProcess::AccessFor(const std::string& path,
                                                  size_t count,
                                                  int timeout_ms) const {
  WaitForAccessLog([&](const std::vector<AccessLine>&) { return AccessFor(path).size() >= count; },
                   timeout_ms);
  return AccessFor(path);
}

const AccessLine* FindAccess(const std::vector<AccessLine>& lines,
                             std::string_view method,
                             std::string_view range) {
  for (const AccessLine& line : lines) {
    if (line.method == method && line.range == range)
      return &line;
  }
  return nullptr;
}

}  // namespace tav::testing
