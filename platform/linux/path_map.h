// Windows paths on the virtual PC: normalisation as GetFullPathName does it,
// and the mapping between a Windows path and the host path inside the PC's
// drive folders, with components matched without regard to letter case.
#pragma once

#include <string>
#include <string_view>

namespace tav::platform::vpc {

// "C:\a\..\b" → "C:\b"; relative paths against the current directory;
// "/" accepted as separator; "\\?\" dropped. Empty for what is not a drive
// path (UNC shares, "NUL:").
std::string FullWindowsPath(std::string_view path);

// The host path of a Windows path. Existing components are matched without
// regard to case; the rest are kept as written. Empty when the drive does not
// exist on the PC.
std::string NativeFromWindows(std::string_view path);
// The Windows path of a host path inside a drive folder; empty otherwise.
std::string WindowsFromNative(std::string_view native);

// The process's current directory (a Windows path, no trailing "\" except
// for a drive root). Starts as TAVROLIN_CWD when a parent set it, else "C:\".
std::string CurrentDirectory();
void SetCurrentDirectoryPath(std::string_view full_path);

}  // namespace tav::platform::vpc
