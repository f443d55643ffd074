#include "core/file_utils.h"

#include <mutex>
#include <stdexcept>

#include "core/format_settings.h"
#include "core/log_engine.h"
#include "core/text_utils.h"
#include "platform/clock.h"
#include "platform/shell_folders.h"
#include "platform/system_info.h"
#include "platform/win_errors.h"
#include "platform/wow64.h"

namespace tav {

namespace {

// A failed deletion of a folder link is tried again as a folder removal.
bool DeleteOne(const std::string& path, int32_t* error) {
  if (platform::DeleteFile(path, error)) return true;
  const uint32_t attrs = platform::GetFileAttributes(path);
  if (attrs != platform::file_attr::kInvalid && (attrs & platform::file_attr::kDirectory) &&
      (attrs & platform::file_attr::kReparsePoint)) {
    return platform::RemoveDirectory(path, error);
  }
  return false;
}

bool RenameAside(const std::string& path) {
  platform::Sleep(500);
  const std::string aside = path + "." + std::to_string(platform::GetTickCount()) + ".safetodelete";
  return platform::MoveFile(path, aside, false);
}

bool Exists(const std::string& path) {
  return platform::GetFileAttributes(path) != platform::file_attr::kInvalid;
}

struct DriveEntry {
  std::string drive;        // "C:"
  std::string device_path;  // lower case, with a trailing "\"
};

std::mutex g_drive_mutex;
std::vector<std::string> g_drive_strings;
std::vector<DriveEntry> g_drive_map;
int g_drive_count = -1;

}  // namespace

void DeleteFolderRecursive(std::string_view folder) {
  const std::string base = IncludeTrailingBackslash(folder);
  std::vector<platform::FindData> entries;
  platform::FindFiles(base + "*.*", &entries);
  for (const platform::FindData& e : entries) {
    if (e.name == "." || e.name == "..") continue;
    const std::string path = base + e.name;
    if ((e.attributes & platform::file_attr::kDirectory) &&
        !(e.attributes & platform::file_attr::kReparsePoint)) {
      DeleteFolderRecursive(path);
      continue;
    }
    platform::SetFileAttributes(path, platform::file_attr::kArchive);
    int32_t error = 0;
    DeleteOne(path, &error);
  }
  platform::RemoveDirectory(ExcludeTrailingBackslash(folder));
}

bool XFile::DeleteFile(std::string_view path_view) {
  const std::string path(path_view);
  const uint32_t attrs = platform::GetFileAttributes(path);
  if (attrs == platform::file_attr::kInvalid) return true;
  if ((attrs & platform::file_attr::kDirectory) && !(attrs & platform::file_attr::kReparsePoint)) {
    DeleteFolderRecursive(path);
    if (!Exists(path)) return true;
    return RenameAside(ExcludeTrailingBackslash(path));
  }
  int32_t error = 0;
  if (DeleteOne(path, &error) || !Exists(path)) return true;
  return RenameAside(path);
}

bool XFile::DeleteFolder(std::string_view folder) {
  if (!platform::DirectoryExists(folder)) {
    XLog::Error("XFile.DeleteFolder", "Path not exists", win_error::kPathNotFound,
                "Dir=" + std::string(folder));
    return false;
  }
  const int32_t result = platform::ShellDeleteTree(ExcludeTrailingBackslash(folder));
  if (result != 0 && result != 5 && result != 32) {
    XLog::Error("XFile.DeleteFolder", "SHFileOperation fail: " + IntToHex(static_cast<uint32_t>(result), 6),
                0, "Path=" + std::string(folder));
  }
  return result == 0;
}

bool XFile::ForceDirectories(std::string_view folder) {
  const std::string path = ExcludeTrailingBackslash(platform::GetFullPathName(folder));
  if (path.size() < 3) return platform::DirectoryExists(path + "\\");
  if (platform::DirectoryExists(path)) return true;
  const std::string parent = ExcludeTrailingBackslash(ExtractFilePath(path));
  if (parent.size() >= 2 && parent != path && !ForceDirectories(parent)) return false;
  return platform::CreateDirectory(path) || platform::DirectoryExists(path);
}

platform::File XFile::AssignFileW(std::string_view path, bool rewrite, bool for_write) {
  const std::string p(path);
  if (rewrite && platform::FileExists(p) && !XFile::DeleteFile(p)) {
    XLog::Error("XFile.AssignFileW", "DeleteFile fail", 0, p);
  }
  const bool existed = platform::FileExists(p);
  platform::File file;
  int32_t error = 0;
  const bool opened =
      for_write ? file.Open(p, platform::File::kWrite | platform::File::kRead,
                            platform::File::kShareRead, platform::File::kOpenAlways, &error)
                : file.Open(p, platform::File::kRead, platform::File::kShareRead,
                            platform::File::kOpenExisting, &error);
  if (!opened) {
    XLog::Error("XFile.AssignFileW", "CreateFileW fail", error, p);
    return file;
  }
  if (!existed || rewrite) {
    static constexpr uint8_t kBom[2] = {0xFF, 0xFE};
    if (!file.Seek(0, platform::File::kBegin) || !file.Write(kBom, 2, &error)) {
      XLog::Error("XFile.AssignFileW", "WriteFile fail", error, p);
    } else if (!file.SetEndOfFile(&error)) {
      XLog::Error("XFile.AssignFileW", "SetEndOfFile fail", error, p);
    }
  }
  if (for_write && !file.Seek(0, platform::File::kEnd, nullptr, &error)) {
    XLog::Error("XFile.AssignFileW", "SetFilePointer fail", error, p);
  }
  return file;
}

bool XFile::WriteLnW(platform::File& file, std::string_view text) {
  if (!file.IsOpen()) {
    XLog::Error("XFile.WriteLnW", "Invalid handle", win_error::kInvalidHandle, "");
    return false;
  }
  int32_t error = 0;
  const std::vector<uint8_t> bytes = Utf8ToUtf16leBytes(text, false);
  if (!bytes.empty() && !file.Write(bytes.data(), bytes.size(), &error)) {
    XLog::Error("XFile.WriteLnW", "WriteFile fail", error, "Text");
    return false;
  }
  static constexpr uint8_t kEol[4] = {0x0D, 0x00, 0x0A, 0x00};
  if (!file.Write(kEol, 4, &error)) {
    XLog::Error("XFile.WriteLnW", "WriteFile fail", error, "Eof");
    return false;
  }
  return true;
}

void XFile::LogicalDriveStringsInit() {
  const std::vector<std::string> drives = platform::GetLogicalDrives();
  size_t length = 0;
  for (const std::string& d : drives) length += d.size() + 1;
  if (length < 4 || length >= 260) {
    XLog::Error("XFile.LogicalDriveStringsInit", "GetLogicalDriveStrings fail", 0,
                std::to_string(length));
    return;
  }
  std::lock_guard<std::mutex> lock(g_drive_mutex);
  if (drives == g_drive_strings && g_drive_count >= 0) return;
  g_drive_strings = drives;
  g_drive_map.clear();
  for (const std::string& d : drives) {
    const std::string drive = d.substr(0, 2);
    std::string device;
    int32_t error = 0;
    if (!platform::QueryDosDevice(drive, &device, &error)) {
      XLog::Error("XFile.LogicalDriveStringsInit", "QueryDosDevice fail", error, drive);
      continue;
    }
    if (g_drive_map.size() < 34) g_drive_map.push_back({drive, ToLowerAscii(device) + "\\"});
  }
  g_drive_count = static_cast<int>(g_drive_map.size());
}

std::string XFile::ExpandRawPath(std::string_view native_path) {
  bool need_init;
  {
    std::lock_guard<std::mutex> lock(g_drive_mutex);
    need_init = g_drive_count < 0;
  }
  if (need_init) LogicalDriveStringsInit();
  const std::string input(native_path);
  const std::string lower = ToLowerAscii(input);
  std::string result;
  std::string entries_text;
  int count = 0;
  {
    std::lock_guard<std::mutex> lock(g_drive_mutex);
    count = g_drive_count;
    for (const DriveEntry& e : g_drive_map) {
      if (lower.rfind(e.device_path, 0) == 0) {
        result = e.drive + "\\" + input.substr(e.device_path.size());
        break;
      }
      entries_text += " " + e.drive + " " + e.device_path;
    }
  }
  if (result.empty()) {
    static constexpr std::string_view kVolume = "\\Device\\HarddiskVolume";
    if (StartsWithIgnoreCase(input, kVolume)) {
      const size_t slash = input.find('\\', kVolume.size());
      if (slash != std::string::npos) {
        const std::string candidate = "c:\\" + input.substr(slash + 1);
        if (platform::FileExists(candidate)) result = candidate;
      }
    }
  }
  if (result.empty()) {
    XLog::Error("XFile.ExpandRawPath", "Path not expanded", 0,
                input + " " + std::to_string(count) + entries_text);
    std::lock_guard<std::mutex> lock(g_drive_mutex);
    g_drive_count = -1;  // the drives may have changed: rebuild at the next call
    return input;
  }
  if (!platform::FileExists(result) && !platform::DirectoryExists(result)) {
    XLog::Error("XFile.ExpandRawPath", "Result not exists", 0, result);
  }
  return result;
}

bool XFile::FileExistsNoRedirect(std::string_view path) {
  void* saved = DisableWow64Redirection();
  const bool exists = platform::FileExists(path);
  RevertWow64Redirection(saved);
  return exists;
}

void* XFile::DisableWow64Redirection() {
  void* saved = nullptr;
  bool wow64 = false;
  if (platform::IsWow64Process(&wow64) && wow64) platform::DisableWow64FsRedirection(&saved);
  return saved;
}

void XFile::RevertWow64Redirection(void* saved) {
  bool wow64 = false;
  if (platform::IsWow64Process(&wow64) && wow64) platform::RevertWow64FsRedirection(saved);
}

bool XFile::GetFileModifiedTime(std::string_view path, DateTime* time) {
  uint64_t created = 0, written = 0;
  if (!platform::GetFileTimes(path, &created, &written)) return false;
  *time = FileTimeToDateTime(written);
  return true;
}

DateTime XFile::ExeFileTime() {
  DateTime time = 0;
  return GetFileModifiedTime(platform::GetModuleFileName(), &time) ? time : 0;
}

void ReadMultiString(platform::RegRoot root, std::string_view key, std::string_view name,
                     std::vector<std::string>* list) {
  list->clear();
  platform::RegistryKey k;
  if (k.Open(root, key, platform::RegAccess::kRead) != 0) return;
  platform::RegValue value;
  if (k.QueryValue(name, &value) != 0) return;
  if (value.data.size() > 2048) value.data.resize(2048);
  std::u16string current;
  for (size_t i = 0; i + 1 < value.data.size(); i += 2) {
    const char16_t c = static_cast<char16_t>(value.data[i] | (value.data[i + 1] << 8));
    if (c == 0) {
      if (current.empty()) return;
      list->push_back(Utf16ToUtf8(current));
      current.clear();
    } else {
      current.push_back(c);
    }
  }
  if (!current.empty()) list->push_back(Utf16ToUtf8(current));
}

double StrToFloatAny(std::string_view text) {
  TFormatSettings fs = UserFormatSettings();
  double value = 0;
  if (TryStrToFloat(text, fs, &value)) return value;
  fs.decimal_separator = text.find(',') == std::string_view::npos ? '.' : ',';
  if (TryStrToFloat(text, fs, &value)) return value;
  throw std::invalid_argument("'" + std::string(text) + "' is not a valid floating point value");
}

}  // namespace tav
