#include "platform/linux/path_map.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <vector>

#include "platform/linux/virtual_pc.h"
#include "platform/linux/wow64_view.h"
#include "platform/text.h"

namespace tav::platform::vpc {

namespace {

std::mutex g_cwd_mutex;
std::string g_cwd;

bool IsDriveLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

std::string& CwdLocked() {
  if (g_cwd.empty()) {
    const char* env = std::getenv("TAVROLIN_CWD");
    g_cwd = (env && IsDriveLetter(env[0]) && env[1] == ':') ? std::string(env) : "C:\\";
  }
  return g_cwd;
}

}  // namespace

std::string CurrentDirectory() {
  std::lock_guard<std::mutex> lock(g_cwd_mutex);
  return CwdLocked();
}

void SetCurrentDirectoryPath(std::string_view full_path) {
  std::lock_guard<std::mutex> lock(g_cwd_mutex);
  std::string path(full_path);
  if (path.size() > 3 && path.back() == '\\')
    path.pop_back();
  g_cwd = path;
}

std::string FullWindowsPath(std::string_view input) {
  std::string path(input);
  for (char& c : path) {
    if (c == '/')
      c = '\\';
  }
  if (path.rfind("\\\\?\\", 0) == 0)
    path.erase(0, 4);
  if (path.empty())
    return {};
  if (path.rfind("\\\\", 0) == 0)
    return {};  // UNC and device namespaces

  std::string drive;
  std::string rest;
  if (path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == ':') {
    drive = std::string(1, AsciiUpper(path[0])) + ":";
    rest = path.substr(2);
    if (rest.empty() || rest[0] != '\\') {
      // "C:foo" is relative to the current directory of that drive; the PC
      // keeps one current directory, used when it is on the same drive.
      const std::string cwd = CurrentDirectory();
      const std::string base =
          EqualsIgnoreCase(cwd.substr(0, 2), drive) ? cwd.substr(2) : std::string("\\");
      rest = base + (base.size() > 0 && base.back() == '\\' ? "" : "\\") + rest;
    }
  } else if (path[0] == '\\') {
    const std::string cwd = CurrentDirectory();
    drive = cwd.substr(0, 2);
    rest = path;
  } else {
    const std::string cwd = CurrentDirectory();
    drive = cwd.substr(0, 2);
    rest = cwd.substr(2) + "\\" + path;
  }

  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= rest.size()) {
    size_t end = rest.find('\\', start);
    if (end == std::string::npos)
      end = rest.size();
    std::string part = rest.substr(start, end - start);
    start = end + 1;
    // Windows drops trailing dots and blanks of a component.
    while (!part.empty() && part != "." && part != ".." &&
           (part.back() == '.' || part.back() == ' ')) {
      part.pop_back();
    }
    if (part.empty() || part == ".")
      continue;
    if (part == "..") {
      if (!parts.empty())
        parts.pop_back();
      continue;
    }
    parts.push_back(std::move(part));
  }
  std::string full = drive + "\\";
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0)
      full += '\\';
    full += parts[i];
  }
  // Keep a trailing separator the caller wrote (a folder path).
  if (!parts.empty() && (path.back() == '\\'))
    full += '\\';
  return full;
}

std::string NativeFromWindows(std::string_view path) {
  const std::string full = ApplyRedirection(FullWindowsPath(path));
  if (full.size() < 3)
    return {};
  std::string native = VirtualPc::Current().DriveRoot(full[0]);
  if (native.empty())
    return {};
  size_t start = 3;
  bool matching = true;  // stop looking once a component does not exist
  while (start < full.size()) {
    size_t end = full.find('\\', start);
    if (end == std::string::npos)
      end = full.size();
    const std::string part = full.substr(start, end - start);
    start = end + 1;
    if (part.empty())
      continue;
    std::string candidate = native + "/" + part;
    struct stat st;
    if (matching && lstat(candidate.c_str(), &st) != 0) {
      bool found = false;
      if (DIR* dir = opendir(native.c_str())) {
        while (dirent* entry = readdir(dir)) {
          if (EqualsFolded(entry->d_name, part)) {
            candidate = native + "/" + entry->d_name;
            found = true;
            break;
          }
        }
        closedir(dir);
      }
      if (!found)
        matching = false;
    }
    native = std::move(candidate);
  }
  return native;
}

std::string WindowsFromNative(std::string_view native_path) {
  // Relative host paths and ".." are taken as the host resolves them.
  std::error_code ec;
  const std::string absolute =
      std::filesystem::absolute(std::string(native_path), ec).lexically_normal().string();
  const std::string_view native = absolute;
  const VirtualPc& pc = VirtualPc::Current();
  const std::string drives = pc.root() + "/drives/";
  if (native.substr(0, drives.size()) != drives || native.size() < drives.size() + 1)
    return {};
  const char letter = native[drives.size()];
  if (native.size() > drives.size() + 1 && native[drives.size() + 1] != '/')
    return {};
  if (pc.DriveRoot(letter).empty())
    return {};
  std::string path = std::string(1, AsciiUpper(letter)) + ":\\";
  std::string rest(native.substr(drives.size() + 1));
  while (!rest.empty() && rest.front() == '/')
    rest.erase(0, 1);
  for (char& c : rest) {
    if (c == '/')
      c = '\\';
  }
  return path + rest;
}

}  // namespace tav::platform::vpc
