// Programs on the virtual PC. A program file of the PC says what it is by its
// first line: "#!tavrolin-vpc builtin NAME" is a system program that the
// PC's tool carries out (schtasks, regedit, ...), "#!tavrolin-program NAME"
// is one of the product's own programs, built beside the tool; a native
// executable or script runs as it is (installers made by tests). Processes
// started this way are recorded in the PC's run folder with their Windows
// image path and command line, which is how the process queries see them.
#include "platform/process.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <nlohmann/json.hpp>

#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/linux/host_process.h"
#include "platform/linux/path_map.h"
#include "platform/linux/virtual_pc.h"
#include "platform/shell_folders.h"
#include "platform/text.h"
#include "platform/win_errors.h"

extern char** environ;

namespace tav::platform {

namespace {

constexpr int32_t kBadExeFormat = 193;

void SetError(int32_t* error, int32_t code) {
  if (error) *error = code;
}

std::string RecordPath(uint32_t pid) {
  return vpc::VirtualPc::Current().RunFolder("processes") + "/" + std::to_string(pid) + ".json";
}

bool HostStartTicks(uint32_t pid, uint64_t* ticks, uint32_t* parent, std::string* comm) {
  vpc::HostProcessStat stat;
  if (!vpc::ReadHostProcessStat(pid, &stat))
    return false;
  *ticks = stat.start_ticks;
  if (parent)
    *parent = stat.parent_id;
  if (comm)
    *comm = stat.comm;
  return true;
}

uint64_t HostBootUnixSeconds() {
  std::ifstream in("/proc/stat");
  std::string key;
  while (in >> key) {
    if (key == "btime") {
      uint64_t value = 0;
      in >> value;
      return value;
    }
  }
  return 0;
}

// The record of a process started through the PC, when it belongs to this
// very process (pids are reused).
bool ReadRecord(uint32_t pid, nlohmann::json* record) {
  std::ifstream in(RecordPath(pid));
  if (!in) return false;
  std::stringstream text;
  text << in.rdbuf();
  *record = nlohmann::json::parse(text.str(), nullptr, false);
  uint64_t ticks = 0;
  if (!record->is_object() || !HostStartTicks(pid, &ticks, nullptr, nullptr)) return false;
  return record->value("start_ticks", uint64_t{0}) == ticks;
}

std::string QuoteArgument(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
  std::string out = "\"";
  size_t slashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++slashes;
    } else if (c == '"') {
      out.append(slashes + 1, '\\');  // double the backslashes and escape the quote
      slashes = 0;
    } else {
      slashes = 0;
    }
    out += c;
  }
  out.append(slashes, '\\');
  return out + "\"";
}

bool HasFolder(std::string_view name) { return name.find_first_of("\\/:") != std::string_view::npos; }

bool HasExtension(std::string_view name) {
  const size_t dot = name.rfind('.');
  const size_t sep = name.find_last_of("\\/");
  return dot != std::string_view::npos && (sep == std::string_view::npos || dot > sep);
}

// Finds a program the way CreateProcess (".exe" only) or ShellExecute
// (PATHEXT) does.
std::string FindProgram(std::string_view name, bool all_extensions) {
  std::vector<std::string> extensions;
  if (HasExtension(name)) {
    extensions.push_back("");
  } else if (all_extensions) {
    std::string pathext;
    GetEnvironmentVariable("PATHEXT", &pathext);
    extensions.push_back("");
    size_t start = 0;
    while (start < pathext.size()) {
      size_t end = pathext.find(';', start);
      if (end == std::string::npos) end = pathext.size();
      extensions.push_back(pathext.substr(start, end - start));
      start = end + 1;
    }
  } else {
    extensions = {".exe", ""};
  }
  std::vector<std::string> folders;
  if (HasFolder(name)) {
    folders.push_back("");
  } else {
    folders.push_back(GetCurrentDirectory());
    folders.push_back(GetSystemDirectory());
    folders.push_back(GetWindowsDirectory());
    std::string path;
    GetEnvironmentVariable("PATH", &path);
    size_t start = 0;
    while (start < path.size()) {
      size_t end = path.find(';', start);
      if (end == std::string::npos) end = path.size();
      if (end > start) folders.push_back(path.substr(start, end - start));
      start = end + 1;
    }
  }
  for (const std::string& folder : folders) {
    for (const std::string& ext : extensions) {
      std::string candidate = folder.empty() ? std::string(name) : folder + "\\" + std::string(name);
      candidate += ext;
      if (FileExists(candidate)) return vpc::FullWindowsPath(candidate);
    }
  }
  return {};
}

// The host command that carries out a PC program, from the program's file.
bool HostCommand(const std::string& windows_path, std::vector<std::string>* argv, int32_t* error) {
  const std::string native = NativePath(windows_path);
  std::ifstream in(native, std::ios::binary);
  char head[256] = {};
  in.read(head, sizeof head - 1);
  const std::string first_line(head, strcspn(head, "\r\n"));
  const std::string tools = vpc::ToolFolder();
  if (first_line.rfind("#!tavrolin-vpc builtin ", 0) == 0) {
    *argv = {tools + "/tavrolin-vpc", "builtin", first_line.substr(23)};
    return true;
  }
  if (first_line.rfind("#!tavrolin-program ", 0) == 0) {
    *argv = {tools + "/" + first_line.substr(19)};
    return true;
  }
  if (std::memcmp(head, "\x7f" "ELF", 4) == 0 || first_line.rfind("#!", 0) == 0) {
    if (access(native.c_str(), X_OK) != 0) {
      SetError(error, win_error::kAccessDenied);
      return false;
    }
    *argv = {native};
    return true;
  }
  SetError(error, kBadExeFormat);
  return false;
}

}  // namespace

struct Process::Impl {
  pid_t pid = -1;
  bool reaped = false;
  int status = 0;
};

Process::Process() = default;
Process::~Process() = default;
Process::Process(Process&&) noexcept = default;
Process& Process::operator=(Process&&) noexcept = default;

namespace {

bool Spawn(const std::string& program, const std::string& command_line, std::string_view directory,
           std::unique_ptr<Process::Impl>* out, int32_t* error) {
  std::vector<std::string> argv;
  if (!HostCommand(program, &argv, error)) return false;
  const std::vector<std::string> split = SplitCommandLine(command_line);
  for (size_t i = 1; i < split.size(); ++i) argv.push_back(split[i]);

  const std::string cwd = directory.empty() ? GetCurrentDirectory() : vpc::FullWindowsPath(directory);
  if (!DirectoryExists(cwd)) {
    SetError(error, win_error::kDirectory);
    return false;
  }
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string_view entry(*e);
    if (entry.rfind("TAVROLIN_MACHINE=", 0) == 0 || entry.rfind("TAVROLIN_MODULE=", 0) == 0 ||
        entry.rfind("TAVROLIN_CWD=", 0) == 0 || entry.rfind("TAVROLIN_NATIVE_PROCESS=", 0) == 0) {
      continue;
    }
    env.emplace_back(entry);
  }
  env.push_back("TAVROLIN_MACHINE=" + vpc::VirtualPc::Current().root());
  env.push_back("TAVROLIN_MODULE=" + program);
  env.push_back("TAVROLIN_CWD=" + cwd);

  std::vector<char*> argv_c, env_c;
  for (auto& a : argv) argv_c.push_back(a.data());
  argv_c.push_back(nullptr);
  for (auto& e : env) env_c.push_back(e.data());
  env_c.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  const std::string native_cwd = NativePath(cwd);
  posix_spawn_file_actions_addchdir_np(&actions, native_cwd.c_str());
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, argv_c[0], &actions, nullptr, argv_c.data(), env_c.data());
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    SetError(error, rc == ENOENT ? win_error::kFileNotFound : win_error::kAccessDenied);
    return false;
  }
  uint64_t ticks = 0;
  HostStartTicks(static_cast<uint32_t>(pid), &ticks, nullptr, nullptr);
  nlohmann::json record;
  record["image"] = program;
  record["command_line"] = command_line;
  record["start_ticks"] = ticks;
  std::ofstream(RecordPath(static_cast<uint32_t>(pid))) << record.dump();
  auto impl = std::make_unique<Process::Impl>();
  impl->pid = pid;
  *out = std::move(impl);
  SetError(error, win_error::kSuccess);
  return true;
}

}  // namespace

bool Process::Create(std::string_view application, std::string_view command_line,
                     std::string_view current_directory, ShowWindow, int32_t* error) {
  impl_.reset();
  std::string name(application);
  if (name.empty()) {
    const std::vector<std::string> split = SplitCommandLine(command_line);
    if (split.empty()) {
      SetError(error, win_error::kInvalidParameter);
      return false;
    }
    name = split[0];
  }
  const std::string program = FindProgram(name, false);
  if (program.empty()) {
    SetError(error, win_error::kFileNotFound);
    return false;
  }
  const std::string line = command_line.empty() ? QuoteArgument(program) : std::string(command_line);
  return Spawn(program, line, current_directory, &impl_, error);
}

bool Process::IsValid() const { return impl_ && impl_->pid > 0; }
uint32_t Process::Id() const { return impl_ ? static_cast<uint32_t>(impl_->pid) : 0; }

bool Process::Wait(uint32_t milliseconds) {
  if (!IsValid()) return false;
  if (impl_->reaped) return true;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  for (;;) {
    const pid_t rc = waitpid(impl_->pid, &impl_->status, WNOHANG);
    if (rc == impl_->pid || (rc < 0 && errno == ECHILD)) {
      impl_->reaped = true;
      std::error_code ec;
      std::filesystem::remove(RecordPath(static_cast<uint32_t>(impl_->pid)), ec);
      return true;
    }
    if (milliseconds != 0xFFFFFFFF && std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

bool Process::GetExitCode(uint32_t* code) {
  if (!IsValid()) return false;
  if (!impl_->reaped && !Wait(0)) {
    *code = kStillActive;
    return true;
  }
  if (WIFEXITED(impl_->status)) {
    *code = static_cast<uint32_t>(WEXITSTATUS(impl_->status));
  } else if (WIFSIGNALED(impl_->status)) {
    const int sig = WTERMSIG(impl_->status);
    *code = (sig == SIGINT || sig == SIGTERM) ? 0xC000013Au : 0xC0000005u;
  } else {
    *code = 1;
  }
  return true;
}

bool ShellExecute(std::string_view verb, std::string_view file, std::string_view parameters,
                  std::string_view directory, ShowWindow show, Process* process, int32_t* error) {
  if (!verb.empty() && !EqualsIgnoreCase(verb, "open") && !EqualsIgnoreCase(verb, "runas")) {
    SetError(error, win_error::kNotSupported);
    return false;
  }
  const std::string program = FindProgram(file, true);
  if (program.empty()) {
    SetError(error, win_error::kFileNotFound);
    return false;
  }
  std::string line = QuoteArgument(program);
  if (!parameters.empty()) line += " " + std::string(parameters);
  Process local;
  Process* target = process ? process : &local;
  if (!target->Create(program, line, directory, show, error)) return false;
  if (!process) {
    // No one waits for the child: reap it in the background so that it does
    // not linger as a zombie.
    const pid_t pid = static_cast<pid_t>(local.Id());
    std::thread([pid] {
      int status;
      waitpid(pid, &status, 0);
    }).detach();
  }
  return true;
}

uint32_t GetCurrentProcessId() { return static_cast<uint32_t>(getpid()); }

bool GetProcessSnapshot(std::vector<ProcessEntry>* processes, int32_t* error) {
  processes->clear();
  DIR* dir = opendir("/proc");
  if (!dir) {
    SetError(error, win_error::kAccessDenied);
    return false;
  }
  while (dirent* entry = readdir(dir)) {
    char* end = nullptr;
    const unsigned long pid = std::strtoul(entry->d_name, &end, 10);
    if (*end != '\0' || pid == 0) continue;
    ProcessEntry p;
    p.id = static_cast<uint32_t>(pid);
    uint64_t ticks = 0;
    std::string comm;
    if (!HostStartTicks(p.id, &ticks, &p.parent_id, &comm)) continue;
    std::string image;
    if (p.id == GetCurrentProcessId()) image = GetModuleFileName();
    nlohmann::json record;
    if (image.empty() && ReadRecord(p.id, &record)) image = record.value("image", "");
    p.exe_name = image.empty() ? comm : image.substr(image.find_last_of('\\') + 1);
    processes->push_back(std::move(p));
  }
  closedir(dir);
  std::sort(processes->begin(), processes->end(),
            [](const ProcessEntry& a, const ProcessEntry& b) { return a.id < b.id; });
  return true;
}

bool IsProcessRunning(uint32_t pid) {
  return vpc::HostProcessRuns(pid);
}

bool GetProcessImagePath(uint32_t pid, std::string* path, int32_t* error) {
  if (!IsProcessRunning(pid)) {
    SetError(error, win_error::kInvalidParameter);
    return false;
  }
  if (pid == GetCurrentProcessId()) {
    *path = GetModuleFileName();
    return true;
  }
  nlohmann::json record;
  if (ReadRecord(pid, &record)) {
    *path = record.value("image", "");
    return true;
  }
  std::error_code ec;
  const std::filesystem::path exe =
      std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", ec);
  if (ec) {
    SetError(error, win_error::kAccessDenied);
    return false;
  }
  const std::string windows = WindowsPathFromNative(exe.string());
  *path = windows.empty() ? exe.string() : windows;
  return true;
}

bool GetProcessCreationTime(uint32_t pid, uint64_t* file_time, int32_t* error) {
  uint64_t ticks = 0;
  if (!HostStartTicks(pid, &ticks, nullptr, nullptr)) {
    SetError(error, win_error::kInvalidParameter);
    return false;
  }
  const uint64_t hz = static_cast<uint64_t>(sysconf(_SC_CLK_TCK));
  const uint64_t start_unix_ms = HostBootUnixSeconds() * 1000 + ticks * 1000 / (hz ? hz : 100);
  *file_time = start_unix_ms * 10000ull + 116444736000000000ull;
  return true;
}

bool GetProcessCommandLine(uint32_t pid, std::string* command_line, int32_t* error) {
  nlohmann::json record;
  if (ReadRecord(pid, &record)) {
    *command_line = record.value("command_line", "");
    return true;
  }
  std::ifstream in("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
  if (!in) {
    SetError(error, win_error::kInvalidParameter);
    return false;
  }
  std::stringstream text;
  text << in.rdbuf();
  const std::string raw = text.str();
  command_line->clear();
  size_t start = 0;
  while (start < raw.size()) {
    size_t end = raw.find('\0', start);
    if (end == std::string::npos) end = raw.size();
    if (!command_line->empty()) *command_line += ' ';
    *command_line += QuoteArgument(raw.substr(start, end - start));
    start = end + 1;
  }
  return true;
}

}  // namespace tav::platform
