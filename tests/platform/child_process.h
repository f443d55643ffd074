// A second process for tests that need two: the test program starts itself
// again ("--child NAME ARGS...") on the current virtual PC. The child talks
// to the test through lines on its stdout and ends when its stdin closes,
// so it also ends by itself when the test goes away.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace tav::testing {

using ChildRoutine = int (*)(const std::vector<std::string>& args);

// Registers a routine under a name; used in a namespace-scope initializer.
bool RegisterChildRoutine(const char* name, ChildRoutine routine);
// Runs the routine the arguments name; false when argv is no child call.
bool RunChildRoutineIfAsked(int argc, char** argv, int* exit_code);

// In the child: one line to the test, and the wait for the test's end signal.
void TellParent(const std::string& line);
// True when a line came (in *line), false at the end of input.
bool ReadFromParent(std::string* line);
// True when stdin has reached its end within timeout_ms.
bool ParentClosedInput(int timeout_ms);

class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Start(const std::string& routine, const std::vector<std::string>& args = {});
  // The next line the child wrote; false after timeout_ms or at its end.
  bool ReadLine(std::string* line, int timeout_ms = 20000);
  bool WriteLine(const std::string& line);
  // The child's sign to finish.
  void CloseInput();
  // Waits for the end and returns the exit code (-1 for a signal).
  int Wait();
  // SIGKILL, and waits until the process has died without reaping it, so
  // that it stays an ended, unreaped process.
  void KillWithoutReaping();
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  int to_child_ = -1;
  int from_child_ = -1;
  std::string buffer_;
  bool reaped_ = false;
};

}  // namespace tav::testing
