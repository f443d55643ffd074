#include "platform/shell_folders.h"

#include <cstdlib>
#include <map>

#include "platform/file_system.h"
#include "platform/linux/path_map.h"
#include "platform/linux/virtual_pc.h"
#include "platform/linux/wow64_view.h"
#include "platform/text.h"
#include "platform/win_errors.h"

namespace tav::platform {

namespace {

const vpc::MachineFacts& Facts() { return vpc::VirtualPc::Current().facts(); }

std::string Drive() { return Facts().windows_dir.substr(0, 2); }

// The environment block of the PC's processes; keys are folded for lookup.
std::map<std::string, std::pair<std::string, std::string>> Environment() {
  const vpc::MachineFacts& f = Facts();
  const bool wow64 = vpc::ProcessUnderWow64();
  const bool xp = f.major < 6;
  std::map<std::string, std::pair<std::string, std::string>> env;
  auto set = [&](const std::string& name, const std::string& value) {
    env[FoldCase(name)] = {name, value};
  };
  set("SystemRoot", f.windows_dir);
  set("windir", f.windows_dir);
  set("SystemDrive", Drive());
  set("ProgramFiles", wow64 ? f.program_files_x86_dir : f.program_files_dir);
  set("CommonProgramFiles", (wow64 ? f.program_files_x86_dir : f.program_files_dir) +
                                "\\Common Files");
  if (f.is_64bit) {
    set("ProgramFiles(x86)", f.program_files_x86_dir);
    set("CommonProgramFiles(x86)", f.program_files_x86_dir + "\\Common Files");
    set("ProgramW6432", f.program_files_dir);
    set("CommonProgramW6432", f.program_files_dir + "\\Common Files");
    set("PROCESSOR_ARCHITECTURE", wow64 ? "x86" : "AMD64");
    if (wow64) set("PROCESSOR_ARCHITEW6432", "AMD64");
  } else {
    set("PROCESSOR_ARCHITECTURE", "x86");
  }
  set("APPDATA", f.app_data_dir);
  set("USERPROFILE", f.profile_dir);
  set("HOMEDRIVE", Drive());
  set("HOMEPATH", f.profile_dir.substr(2));
  set("USERNAME", f.user_name);
  set("COMPUTERNAME", f.computer_name);
  set("OS", "Windows_NT");
  set("PATHEXT", ".COM;.EXE;.BAT;.CMD;.VBS;.VBE;.JS;.JSE;.WSF;.WSH;.MSC");
  set("PATH", f.windows_dir + "\\system32;" + f.windows_dir + ";" + f.windows_dir +
                  "\\System32\\Wbem");
  set("ComSpec", f.windows_dir + "\\system32\\cmd.exe");
  if (xp) {
    set("ALLUSERSPROFILE", f.profile_dir.substr(0, f.profile_dir.rfind('\\')) + "\\All Users");
    set("TEMP", f.profile_dir + "\\Local Settings\\Temp");
  } else {
    set("LOCALAPPDATA", f.local_app_data_dir);
    set("ALLUSERSPROFILE", f.common_app_data_dir);
    set("ProgramData", f.common_app_data_dir);
    set("PUBLIC", Drive() + "\\Users\\Public");
    set("TEMP", f.local_app_data_dir + "\\Temp");
  }
  set("TMP", env[FoldCase("TEMP")].second);
  const nlohmann::json& profile = vpc::VirtualPc::Current().profile();
  if (auto it = profile.find("environment"); it != profile.end() && it->is_object()) {
    for (auto& [name, value] : it->items()) {
      if (value.is_string()) set(name, value.get<std::string>());
    }
  }
  return env;
}

}  // namespace

std::string GetWindowsDirectory() { return Facts().windows_dir; }

std::string GetSystemDirectory() { return Facts().windows_dir + "\\system32"; }

bool GetShellFolder(int csidl_and_flags, std::string* path) {
  const vpc::MachineFacts& f = Facts();
  const bool wow64 = vpc::ProcessUnderWow64();
  const int id = csidl_and_flags & 0xFF;
  std::string folder;
  switch (id) {
    case csidl::kPersonal: folder = f.documents_dir; break;
    case csidl::kAppData: folder = f.app_data_dir; break;
    case csidl::kLocalAppData: folder = f.local_app_data_dir; break;
    case csidl::kCommonAppData: folder = f.common_app_data_dir; break;
    case csidl::kWindows: folder = f.windows_dir; break;
    case csidl::kSystem: folder = f.windows_dir + "\\system32"; break;
    case csidl::kProgramFiles:
      folder = wow64 ? f.program_files_x86_dir : f.program_files_dir;
      break;
    case csidl::kProgramFilesX86:
      folder = f.is_64bit ? f.program_files_x86_dir : f.program_files_dir;
      break;
    case csidl::kProgramFilesCommon:
      folder = (wow64 ? f.program_files_x86_dir : f.program_files_dir) + "\\Common Files";
      break;
    default: return false;
  }
  if (csidl_and_flags & csidl::kFlagCreate) {
    // SHGetFolderPath with CSIDL_FLAG_CREATE makes the folder and its parents.
    std::string partial;
    for (size_t pos = folder.find('\\'); ; pos = folder.find('\\', pos + 1)) {
      partial = folder.substr(0, pos == std::string::npos ? folder.size() : pos);
      if (partial.size() > 2 && !DirectoryExists(partial)) CreateDirectory(partial);
      if (pos == std::string::npos) break;
    }
  } else if (!(csidl_and_flags & csidl::kFlagDontVerify) && !DirectoryExists(folder)) {
    return false;
  }
  *path = folder;
  return true;
}

std::string GetModuleFileName() {
  if (const char* env = std::getenv("TAVROLIN_MODULE"); env && *env) return env;
  return Facts().program_path;
}

bool GetEnvironmentVariable(std::string_view name, std::string* value) {
  const auto env = Environment();
  const auto it = env.find(FoldCase(name));
  if (it == env.end()) return false;
  *value = it->second.second;
  return true;
}

std::string ExpandEnvironmentStrings(std::string_view text) {
  const auto env = Environment();
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    const size_t open = text.find('%', i);
    if (open == std::string_view::npos) {
      out.append(text.substr(i));
      break;
    }
    const size_t close = text.find('%', open + 1);
    if (close == std::string_view::npos) {
      out.append(text.substr(i));
      break;
    }
    out.append(text.substr(i, open - i));
    const std::string_view name = text.substr(open + 1, close - open - 1);
    const auto it = env.find(FoldCase(name));
    if (it != env.end() && !name.empty()) {
      out += it->second.second;
      i = close + 1;
    } else {
      // An unknown name stays, and its closing "%" may open the next name.
      out.append(text.substr(open, close - open));
      i = close;
    }
  }
  return out;
}

std::vector<std::string> GetLogicalDrives() {
  std::vector<std::string> drives;
  for (const vpc::Drive& d : Facts().drives) drives.push_back(std::string(1, d.letter) + ":\\");
  return drives;
}

bool QueryDosDevice(std::string_view drive, std::string* device_path, int32_t* error) {
  // Only the bare drive ("C:"): Windows finds no device named "C:\\".
  if (drive.size() == 2 && drive[1] == ':') {
    const char letter = AsciiUpper(drive[0]);
    for (const vpc::Drive& d : Facts().drives) {
      if (d.letter == letter && !d.device.empty()) {
        *device_path = d.device;
        return true;
      }
    }
  }
  if (error) *error = win_error::kFileNotFound;
  return false;
}

}  // namespace tav::platform
