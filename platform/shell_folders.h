// Well-known folders, the environment and the drive table.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tav::platform {

namespace csidl {
inline constexpr int kPersonal = 5;  // documents
inline constexpr int kAppData = 26;  // roaming application data
inline constexpr int kLocalAppData = 28;
inline constexpr int kWindows = 36;
inline constexpr int kSystem = 37;
inline constexpr int kProgramFiles = 38;
inline constexpr int kProgramFilesX86 = 42;
inline constexpr int kProgramFilesCommon = 43;
inline constexpr int kCommonAppData = 35;
inline constexpr int kFlagDontVerify = 0x4000;
inline constexpr int kFlagCreate = 0x8000;
}  // namespace csidl

// Without a trailing "\" (as the Windows calls return them).
std::string GetWindowsDirectory();
std::string GetSystemDirectory();
// SHGetFolderPath; flags may be or-ed into the identifier. False when the
// folder is unknown or (without kFlagDontVerify / kFlagCreate) missing.
bool GetShellFolder(int csidl_and_flags, std::string* path);

// GetModuleFileName(NULL): the Windows path of the running program.
std::string GetModuleFileName();

// Environment as the PC's processes see it (SystemRoot, ProgramFiles, ...).
bool GetEnvironmentVariable(std::string_view name, std::string* value);
// ExpandEnvironmentStrings: %NAME% replaced, unknown names left as they are.
std::string ExpandEnvironmentStrings(std::string_view text);

// GetLogicalDriveStrings: "C:\", "D:\", ...
std::vector<std::string> GetLogicalDrives();
// QueryDosDevice for a drive such as "C:": its device path
// ("\Device\HarddiskVolume2").
bool QueryDosDevice(std::string_view drive, std::string* device_path, int32_t* error = nullptr);

}  // namespace tav::platform
