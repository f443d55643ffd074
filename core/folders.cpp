#include "core/folders.h"

#include <atomic>
#include <mutex>

#include "core/file_utils.h"
#include "core/log_engine.h"
#include "core/text_utils.h"
#include "platform/shell_folders.h"
#include "platform/system_info.h"

namespace tav {

namespace {

Folders g_folders;
int g_os_code = 5;
std::string g_product_name(kProductName);
std::atomic<bool> g_send_statistics{false};
TFormatSettings g_work_format;

std::string ShellFolder(int csidl) {
  std::string path;
  platform::GetShellFolder(csidl | platform::csidl::kFlagDontVerify, &path);
  return path.empty() ? std::string() : IncludeTrailingBackslash(path);
}

}  // namespace

Folders& GetFolders() { return g_folders; }

int OsCodeFromVersion(bool available, uint32_t major, uint32_t minor, uint32_t build) {
  if (!available) return 5;
  if (major == 6 && minor == 1 && build >= 7600) return 7;
  if (major == 6 && minor == 2) return 8;
  if (major == 6 && minor == 3) return 81;
  if ((major == 6 && minor == 4) || (major == 10 && minor == 0)) return 10;
  return static_cast<int>(major);
}

int GetOsCode() { return g_os_code; }

bool IsWow64() {
  static const bool wow64 = [] {
    bool value = false;
    return platform::IsWow64ProcessAvailable() && platform::IsWow64Process(&value) && value;
  }();
  return wow64;
}

const TFormatSettings& WorkFileFormat() { return g_work_format; }
const std::string& ProductName() { return g_product_name; }
bool SendStatistics() { return g_send_statistics; }

void ResolveFixedFolders() {
  Folders& f = g_folders;
  f.program = ExtractFilePath(platform::GetModuleFileName());
  f.windows = IncludeTrailingBackslash(platform::GetWindowsDirectory());
  f.system = IncludeTrailingBackslash(platform::GetSystemDirectory());
  f.program_files = ShellFolder(platform::csidl::kProgramFiles);
  f.documents = ShellFolder(platform::csidl::kPersonal);
  f.work = ShellFolder(platform::csidl::kAppData) + std::string(kProductName) + "\\";
  XFile::ForceDirectories(f.work);
  f.default_backup = f.documents + std::string(kProductName) + "\\Backup\\";
  f.download = f.documents + std::string(kProductName) + "\\Drivers\\";
  if (f.backup.empty()) f.backup = f.default_backup;
}

void InitParams(std::string_view product_name, std::string_view work_override,
                std::string_view drivers_override, bool send_statistics) {
  g_product_name = product_name;
  g_send_statistics = send_statistics;
  g_os_code = 5;
  platform::OsVersionInfo version;
  const bool available = platform::GetVersionInfo(&version);
  g_os_code = OsCodeFromVersion(available, version.major, version.minor, version.build);

  g_work_format = WorkFileFormatSettings();

  Folders& f = g_folders;
  if (f.program.empty()) f.program = ExtractFilePath(platform::GetModuleFileName());
  // The project's main source file beside the program: a developer's layout.
  if (platform::FileExists(f.program + "Kelvorad.cpp")) {
    f.core_work = f.program + "Bases\\";
    f.core_drivers = f.program + "Drivers\\";
  } else {
    if (!work_override.empty()) {
      f.core_work = work_override;
    } else {
      f.core_work = ShellFolder(platform::csidl::kAppData) + std::string(product_name) + "\\";
      XFile::ForceDirectories(f.core_work);
    }
    f.core_drivers = !drivers_override.empty()
                         ? std::string(drivers_override)
                         : ShellFolder(platform::csidl::kPersonal) + std::string(product_name) +
                               "\\Drivers\\";
  }

  f.system = IncludeTrailingBackslash(platform::GetSystemDirectory());
  f.windows = IncludeTrailingBackslash(platform::GetWindowsDirectory());

  const std::string drive = f.windows.substr(0, 1) + ":";
  std::string device;
  int32_t error = 0;
  if (platform::QueryDosDevice(drive, &device, &error)) {
    // Only the first occurrence is the drive.
    const size_t at = ToUpperAscii(f.windows).find(ToUpperAscii(drive));
    f.windows_device = f.windows;
    if (at != std::string::npos) f.windows_device.replace(at, drive.size(), device);
  } else {
    XLog::Error("InitParams", "QueryDosDevice fail", error, f.windows);
    f.windows_device.clear();
  }
}

}  // namespace tav
