#include "core/process_utils.h"

#include <algorithm>

#include "core/file_utils.h"
#include "core/format_settings.h"
#include "core/log_engine.h"
#include "platform/clock.h"
#include "platform/process.h"
#include "platform/shell_folders.h"
#include "platform/system_info.h"
#include "platform/win_errors.h"
#include "platform/window_messages.h"

namespace tav {

namespace {

constexpr uint32_t kSystemPid = 4;
constexpr uint32_t kSystemPidXp = 8;
constexpr uint32_t kLastSystemPid = 9;

// Only 64-bit Windows sets this variable, whatever the caller's bitness.
bool Is64BitWindows() {
  std::string value;
  return platform::GetEnvironmentVariable("ProgramW6432", &value);
}

void AddUnique(std::vector<std::string>* list, std::string line) {
  if (std::find(list->begin(), list->end(), line) == list->end())
    list->push_back(std::move(line));
}

std::string ProcessName(const platform::ProcessEntry& process) {
  std::string name = XProcess::GetCommandLine(process.id);
  if (name.empty())
    name = GetPathFromPID(process.id);
  if (name.empty())
    name = process.exe_name;
  return name;
}

std::string ProcessLine(const platform::ProcessEntry& process,
                        DateTime since,
                        const TFormatSettings& fs) {
  const DateTime start = XProcess::GetProcessStartTime(process.id, false);
  std::string line;
  if (since > 0)
    line = start > since ? "+ " : "- ";
  line += ProcessName(process);
  line += "   " + std::to_string(process.id);
  line += "   Parent=" + std::to_string(process.parent_id);
  line += std::string("   Visible=") + (XProcess::IsProcessWindowVisible(process.id) ? "1" : "0");
  line += "   Start=" + DateTimeToStr(start, fs);
  return line;
}

}  // namespace

bool XProcess::IsWow64() {
  static const bool wow64 = [] {
    bool value = false;
    return platform::IsWow64ProcessAvailable() && platform::IsWow64Process(&value) && value;
  }();
  return wow64;
}

bool XProcess::IsWow64Process(uint32_t pid) {
  if (!platform::IsWow64ProcessAvailable())
    return false;
  if (pid != platform::GetCurrentProcessId()) {
    if (platform::IsProcessRunning(pid))
      return Is64BitWindows();
    XLog::Error("XProcess.IsWow64Process", "IsWow64Process fail", win_error::kInvalidParameter,
                std::to_string(pid));
    return false;
  }
  bool wow64 = false;
  if (!platform::IsWow64Process(&wow64)) {
    XLog::Error("XProcess.IsWow64Process", "IsWow64Process fail", 0, std::to_string(pid));
    return false;
  }
  return !wow64;
}

DateTime XProcess::GetProcessStartTime(uint32_t pid, bool log_errors) {
  uint64_t file_time = 0;
  int32_t error = 0;
  if (!platform::GetProcessCreationTime(pid, &file_time, &error)) {
    if (log_errors && error != win_error::kAccessDenied) {
      XLog::Error("XProcess.GetProcessStartTime", "OpenProcess fail", error, std::to_string(pid));
    }
    return 0;
  }
  return FileTimeToDateTime(file_time);
}

std::string XProcess::GetCommandLine(uint32_t pid) {
  if (pid == kSystemPid || pid == kSystemPidXp)
    return {};
  std::string command_line;
  if (!platform::GetProcessCommandLine(pid, &command_line))
    return {};
  return command_line;
}

bool XProcess::IsProcessWindowVisible(uint32_t pid) {
  return !platform::FindWindowsOfProcess(pid).empty();
}

DateTime XProcess::GetBootTime() {
  static const DateTime boot =
      Now() - static_cast<double>(platform::GetTickCount64()) / kMillisecondsPerDay;
  return boot;
}

std::string GetPathFromPID(uint32_t pid) {
  if (pid == 0)
    return {};
  std::string path;
  int32_t error = 0;
  if (!platform::GetProcessImagePath(pid, &path, &error)) {
    // Protected processes refuse every caller: nothing to report.
    if (error != win_error::kAccessDenied) {
      XLog::Error("GetPathFromPID", "OpenProcess fail", error, std::to_string(pid));
    }
    return {};
  }
  if (path.empty()) {
    XLog::Error("GetPathFromPID", "Result empty", 0, std::to_string(pid));
    return {};
  }
  if (path[0] == '\\')
    path = XFile::ExpandRawPath(path);
  return path;
}

void CreateProcessList(std::vector<std::string>* list, DateTime since) {
  const TFormatSettings fs = UserFormatSettings();
  AddUnique(list, DateTimeToStr(Now(), fs) + " ---------------------------------------");
  std::vector<platform::ProcessEntry> processes;
  int32_t error = 0;
  if (!platform::GetProcessSnapshot(&processes, &error)) {
    XLog::Error("CreateProcessList", "Processes 1 fail", error);
    return;
  }
  for (const platform::ProcessEntry& process : processes) {
    if (process.id > kLastSystemPid)
      AddUnique(list, ProcessLine(process, since, fs));
  }
}

}  // namespace tav
