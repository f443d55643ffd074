#include "matching/inf_dirids.h"

#include "core/folders.h"
#include "core/text_utils.h"
#include "platform/registry.h"
#include "platform/shell_folders.h"

namespace tav {

namespace {

constexpr int kFirstShellDirId = 16384;
constexpr int kProgramFilesId = 0x26;
constexpr int kCommonProgramFilesId = 0x2B;

// The 64-bit folder the registry names, when it names one.
std::string Wow64Folder(std::string_view value_name) {
  platform::RegistryKey key;
  if (key.Open(platform::RegRoot::kLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
               platform::RegAccess::kRead) != 0) {
    return {};
  }
  platform::RegValue value;
  if (key.QueryValue(value_name, &value) != 0)
    return {};
  return value.AsString();
}

std::string ShellDirId(int dirid) {
  const int folder_id = dirid & 0xFF;
  if (IsWow64() && (folder_id == kProgramFilesId || folder_id == kCommonProgramFilesId)) {
    const std::string folder =
        Wow64Folder(folder_id == kProgramFilesId ? "ProgramW6432Dir" : "CommonW6432Dir");
    if (!folder.empty())
      return IncludeTrailingBackslash(folder);
  }
  std::string path;
  if (!platform::GetShellFolder(dirid, &path) || path.empty())
    return {};
  return IncludeTrailingBackslash(path);
}

}  // namespace

std::string InfWindowsFolder() {
  const std::string& known = GetFolders().windows;
  return !known.empty() ? known : IncludeTrailingBackslash(platform::GetWindowsDirectory());
}

std::string ResolveDirId(std::string_view dirid) {
  const int64_t id = StrToIntDef(Trim(dirid), -1);
  const std::string windows = InfWindowsFolder();
  switch (id) {
    case 10:
      return windows;
    case 11:
      return windows + "system32\\";
    case 12:
      return windows + "system32\\drivers\\";
    case 50:
      return windows + "system\\";
    case 30:
      // The root of the boot drive: without the separator the files would
      // land in that drive's current directory ("C:boot.ini").
      return windows.substr(0, 2) + "\\";
    default:
      break;
  }
  if (id < kFirstShellDirId || id > 0xFFFF)
    return {};
  return ShellDirId(static_cast<int>(id));
}

}  // namespace tav
