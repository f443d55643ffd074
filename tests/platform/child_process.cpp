#include "tests/platform/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>

#include "platform/linux/virtual_pc.h"

extern char** environ;

namespace tav::testing {

namespace {

std::map<std::string, ChildRoutine>& Routines() {
  static std::map<std::string, ChildRoutine> routines;
  return routines;
}

}  // namespace

bool RegisterChildRoutine(const char* name, ChildRoutine routine) {
  Routines()[name] = routine;
  return true;
}

bool RunChildRoutineIfAsked(int argc, char** argv, int* exit_code) {
  if (argc < 3 || std::strcmp(argv[1], "--child") != 0)
    return false;
  auto it = Routines().find(argv[2]);
  if (it == Routines().end()) {
    std::fprintf(stderr, "no child routine %s\n", argv[2]);
    *exit_code = 100;
    return true;
  }
  *exit_code = it->second(std::vector<std::string>(argv + 3, argv + argc));
  return true;
}

void TellParent(const std::string& line) {
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

bool ReadFromParent(std::string* line) {
  return static_cast<bool>(std::getline(std::cin, *line));
}

bool ParentClosedInput(int timeout_ms) {
  pollfd fd{STDIN_FILENO, POLLIN, 0};
  if (poll(&fd, 1, timeout_ms) <= 0)
    return false;
  char byte;
  return read(STDIN_FILENO, &byte, 1) <= 0;
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0 && !reaped_) {
    kill(pid_, SIGKILL);
    Wait();
  }
  if (to_child_ >= 0)
    close(to_child_);
  if (from_child_ >= 0)
    close(from_child_);
}

bool ChildProcess::Start(const std::string& routine, const std::vector<std::string>& args) {
  int in[2], out[2];
  if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0)
    return false;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  char self[4096] = {};
  if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0)
    return false;
  std::vector<std::string> argv_text = {self, "--child", routine};
  argv_text.insert(argv_text.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : argv_text)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  // The child works on this test's virtual PC.
  std::vector<std::string> env_text = {"TAVROLIN_MACHINE=" +
                                       platform::vpc::VirtualPc::Current().root()};
  for (char** e = environ; *e; ++e) {
    if (std::strncmp(*e, "TAVROLIN_MACHINE=", 17) != 0)
      env_text.emplace_back(*e);
  }
  std::vector<char*> env;
  for (std::string& e : env_text)
    env.push_back(e.data());
  env.push_back(nullptr);
  const int rc = posix_spawn(&pid_, self, &actions, nullptr, argv.data(), env.data());
  posix_spawn_file_actions_destroy(&actions);
  close(in[0]);
  close(out[1]);
  to_child_ = in[1];
  from_child_ = out[0];
  return rc == 0;
}

bool ChildProcess::ReadLine(std::string* line, int timeout_ms) {
  for (;;) {
    const size_t newline = buffer_.find('\n');
    if (newline != std::string::npos) {
      *line = buffer_.substr(0, newline);
      buffer_.erase(0, newline + 1);
      return true;
    }
    pollfd fd{from_child_, POLLIN, 0};
    if (poll(&fd, 1, timeout_ms) <= 0)
      return false;
    char chunk[256];
    const ssize_t got = read(from_child_, chunk, sizeof chunk);
    if (got <= 0)
      return false;
    buffer_.append(chunk, static_cast<size_t>(got));
  }
}

bool ChildProcess::WriteLine(const std::string& line) {
  const std::string text = line + "\n";
  return write(to_child_, text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

void ChildProcess::CloseInput() {
  if (to_child_ >= 0)
    close(to_child_);
  to_child_ = -1;
}

int ChildProcess::Wait() {
  if (pid_ <= 0)
    return -1;
  int status = 0;
  if (waitpid(pid_, &status, 0) != pid_)
    return -1;
  reaped_ = true;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void ChildProcess::KillWithoutReaping() {
  kill(pid_, SIGKILL);
  siginfo_t info;
  waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOWAIT);
}

}  // namespace tav::testing
