#include "matching/install_snapshots.h"

#include <set>
#include <vector>

#include "core/date_time.h"
#include "core/file_utils.h"
#include "core/folders.h"
#include "core/format_settings.h"
#include "core/ini_file.h"
#include "core/log_engine.h"
#include "core/text_utils.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/locale_info.h"

namespace tav {

namespace {

std::string Work(std::string_view name) {
  return GetFolders().core_work + std::string(name);
}

bool IsNumber(const std::string& s) {
  int64_t n = 0;
  return TryStrToInt(s, &n);
}

// The ".pre" text kept as lines: sections are appended as blocks.
struct PreFile {
  std::vector<std::string> lines;
  bool Load(const std::string& path) {
    platform::File f;
    if (!f.Open(path, platform::File::kRead, platform::File::kShareRead,
                platform::File::kOpenExisting)) {
      return false;
    }
    std::string bytes;
    char buffer[65536];
    size_t got = 0;
    while (f.Read(buffer, sizeof buffer, &got) && got > 0)
      bytes.append(buffer, got);
    const std::string text = platform::AnsiToUtf8(bytes);
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find('\n', start);
      if (end == std::string::npos)
        end = text.size();
      std::string line = text.substr(start, end - start);
      if (!line.empty() && line.back() == '\r')
        line.pop_back();
      lines.push_back(std::move(line));
      start = end + 1;
    }
    return true;
  }
  bool Save(const std::string& path) const {
    std::string text;
    for (const std::string& line : lines)
      text += line + "\r\n";
    const std::string bytes = platform::Utf8ToAnsi(text);
    platform::File f;
    return f.Open(path, platform::File::kWrite, platform::File::kShareRead,
                  platform::File::kCreateAlways) &&
           f.Write(bytes.data(), bytes.size());
  }
  void AddSection(const std::string& name, const std::vector<std::string>& values) {
    lines.push_back("[" + name + "]");
    lines.insert(lines.end(), values.begin(), values.end());
    lines.push_back("");
  }
};

bool SavePreWithRetry(const PreFile& pre, const std::string& path) {
  if (pre.Save(path))
    return true;
  platform::Sleep(1000);
  if (!XFile::DeleteFile(path))
    XLog::Error("CreateInstallSnapshots", "Cannot delete 3", 0, path);
  if (pre.Save(path))
    return true;
  XLog::Error("CreateInstallSnapshots", "Res.SaveToFile failed", 0, path);
  return false;
}

// Marks every status file not waiting for a restart check as not present;
// returns the packages that wait.
std::set<std::string> KeepList() {
  std::set<std::string> keep;
  std::vector<platform::FindData> found;
  platform::FindFiles(Work("*.status"), &found);
  for (const platform::FindData& f : found) {
    TMemIniFile status(Work(f.name));
    if (status.ReadBool("Settings", "CheckAfterRestart", false)) {
      keep.insert(ToLowerAscii(f.name.substr(0, f.name.size() - 7)));
    } else {
      status.WriteInteger("Settings", "Present", 0);
    }
    SaveWithRetry(status, "CreateInstallSnapshots", "Ini.UpdateFile fail", "Cannot delete 0",
                  "Ini.UpdateFile fail 2");
  }
  return keep;
}

}  // namespace

bool SaveWithRetry(const TMemIniFile& ini,
                   std::string_view routine,
                   std::string_view first_failure,
                   std::string_view delete_failure,
                   std::string_view second_failure) {
  if (ini.UpdateFile())
    return true;
  XLog::Error(routine, first_failure, 0, ini.FileName());
  platform::Sleep(1000);
  if (!XFile::DeleteFile(ini.FileName()))
    XLog::Error(routine, delete_failure, 0, ini.FileName());
  if (ini.UpdateFile())
    return true;
  XLog::Error(routine, second_failure, 0, ini.FileName());
  return false;
}

void CreateInstallSnapshots() {
  const TMemIniFile scan(Work("Scan.ini"));
  const TMemIniFile plus(Work("DevicesPlus.ini"));
  CreateInstallSnapshots(scan, plus);
}

void CreateInstallSnapshots(const TMemIniFile& scan, const TMemIniFile& plus) {
  const std::set<std::string> keep = KeepList();
  const std::vector<std::string> sections = scan.ReadSections();
  if (sections.empty()) {
    XLog::Error("CreateInstallSnapshots", "no sections");
    return;
  }
  auto package_of = [&](const std::string& s) { return scan.ReadString(s, "PackageName", ""); };
  for (const std::string& s : sections) {
    if (!IsNumber(s) || keep.count(ToLowerAscii(package_of(s))))
      continue;
    const std::string pre = Work(package_of(s) + ".pre");
    if (!package_of(s).empty() && platform::FileExists(pre) && !XFile::DeleteFile(pre)) {
      XLog::Error("CreateInstallSnapshots", "DeleteFile fail", 0, pre);
    }
  }
  const TFormatSettings user = UserFormatSettings();
  for (const std::string& s : sections) {
    if (!IsNumber(s))
      continue;
    const std::string package = package_of(s);
    if (keep.count(ToLowerAscii(package)))
      continue;
    const std::string n = scan.ReadString(s, "DeviceIniSection", "");
    if (package.empty() || n.empty()) {
      XLog::Error("CreateInstallSnapshots", "PackageName or DeviceIndex empty", 0, s);
      continue;
    }
    const std::string pre_path = Work(package + ".pre");
    PreFile pre;
    pre.Load(pre_path);
    if (pre.lines.empty()) {
      pre.AddSection("Settings", {"Base=" + scan.ReadString("Settings", "Base", ""),
                                  "FileDescription=" + scan.ReadString(s, "Description", ""),
                                  "FullFileName=" + scan.ReadString(s, "FName", ""),
                                  "Vendor=" + scan.ReadString(s, "Vendor", ""),
                                  "Version=" + scan.ReadString(s, "Version2", ""),
                                  "Date=" + scan.ReadString(s, "Date2", ""),
                                  "Generated=" + FloatToStr(Now(), user)});
    }
    TMemIniFile status(Work(package + ".status"));
    if (!status.ValueExists("Settings", "Status"))
      status.WriteString("Settings", "Status", "None");
    status.WriteInteger("Settings", "Present", 1);
    SaveWithRetry(status, "CreateInstallSnapshots", "IniStatus.UpdateFile failed",
                  "Cannot delete 1", "IniStatus.UpdateFile failed");
    const std::vector<std::string> scan_lines = scan.ReadSectionValues(s);
    if (scan_lines.empty())
      XLog::Error("CreateInstallSnapshots", "Ini Values empty", 0, s);
    pre.AddSection(n + "-scan", scan_lines);
    const std::vector<std::string> device_lines = plus.ReadSectionValues(n);
    if (device_lines.empty())
      XLog::Error("CreateInstallSnapshots", "IniPlus Values empty", 0, n);
    pre.AddSection(n, device_lines);
    const int64_t count = plus.ReadInteger(n, "Count", 0);
    if (count == 0)
      XLog::Error("CreateInstallSnapshots: CandidateAmount empty for " + n, "");
    for (int64_t i = 0; i < count; ++i) {
      const std::string candidate = n + "-drv-" + std::to_string(i);
      const std::vector<std::string> lines = plus.ReadSectionValues(candidate);
      if (lines.empty()) {
        XLog::Error("CreateInstallSnapshots: Empty section: " + candidate + " for " + n, "");
      }
      pre.AddSection(candidate, lines);
    }
    SavePreWithRetry(pre, pre_path);
  }
}

}  // namespace tav
