// Processes: start a program, wait for it, read its exit state, and inspect
// the running processes of the PC.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tav::platform {

enum class ShowWindow { kHidden = 0, kNormal = 1, kMinimized = 2, kMaximized = 3 };

class Process {
 public:
  Process();
  ~Process();
  Process(Process&&) noexcept;
  Process& operator=(Process&&) noexcept;

  // CreateProcess: application may be empty (then the first token of the
  // command line names it); current_directory empty means the caller's.
  bool Create(std::string_view application, std::string_view command_line,
              std::string_view current_directory, ShowWindow show, int32_t* error = nullptr);

  bool IsValid() const;
  uint32_t Id() const;
  // WaitForSingleObject: true when the process ended within the time
  // (0xFFFFFFFF waits for ever).
  bool Wait(uint32_t milliseconds);
  // GetExitCodeProcess: kStillActive (259) while it runs.
  bool GetExitCode(uint32_t* code);
  static constexpr uint32_t kStillActive = 259;

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

// ShellExecuteEx with verb "open" (or the given one): file is a program, found
// through the PC's search path and executable extensions when it has no
// folder. When process is given and the call started one, it receives it.
bool ShellExecute(std::string_view verb, std::string_view file, std::string_view parameters,
                  std::string_view directory, ShowWindow show, Process* process = nullptr,
                  int32_t* error = nullptr);

uint32_t GetCurrentProcessId();

struct ProcessEntry {
  uint32_t id = 0;
  uint32_t parent_id = 0;
  std::string exe_name;  // file name only, as in a tool-help snapshot
};
// CreateToolhelp32Snapshot + Process32First/Next.
bool GetProcessSnapshot(std::vector<ProcessEntry>* processes, int32_t* error = nullptr);

// Facts of one process (OpenProcess with query rights); kAccessDenied for
// protected processes, kInvalidParameter for an id that does not run.
bool GetProcessImagePath(uint32_t pid, std::string* path, int32_t* error = nullptr);
bool GetProcessCreationTime(uint32_t pid, uint64_t* file_time, int32_t* error = nullptr);
bool GetProcessCommandLine(uint32_t pid, std::string* command_line, int32_t* error = nullptr);
bool IsProcessRunning(uint32_t pid);

// CommandLineToArgvW's splitting of a Windows command line.
std::vector<std::string> SplitCommandLine(std::string_view command_line);

}  // namespace tav::platform
