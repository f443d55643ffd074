// File helpers shared by the whole program (the utility class XFile): a
// deletion that survives locked files, UTF-16 log-file writing, native-path
// translation, the 64-bit view of a 32-bit process, file times, multi-string
// registry reads. Every helper logs its failures under its own routine name
// and returns a neutral value; none throws, except StrToFloatAny.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/date_time.h"
#include "platform/file_system.h"
#include "platform/registry.h"

namespace tav {

class XFile {
 public:
  // Deletes a file, or a folder with its contents. What cannot be deleted is
  // renamed to path + "." + tick count + ".safetodelete" after 500 ms, so it
  // never blocks a new file of the same name; false only when that rename
  // fails too. A path that does not exist gives true.
  static bool DeleteFile(std::string_view path);
  // Deletes a folder with its contents through the shell's file operation.
  static bool DeleteFolder(std::string_view folder);
  // Creates a folder with all its missing parents; true when it exists after.
  static bool ForceDirectories(std::string_view folder);

  // Opens a UTF-16LE text file: for writing (open or create, positioned at
  // the end) or for reading (must exist); a new or rewritten file gets the
  // byte-order mark FF FE. An unopened File on failure.
  static platform::File AssignFileW(std::string_view path, bool rewrite, bool for_write);
  // Writes the text as UTF-16LE code units followed by CR LF.
  static bool WriteLnW(platform::File& file, std::string_view text);

  // Native device paths ("\Device\HarddiskVolume2\x") to drive paths.
  static void LogicalDriveStringsInit();
  static std::string ExpandRawPath(std::string_view native_path);

  static bool FileExistsNoRedirect(std::string_view path);
  static void* DisableWow64Redirection();
  static void RevertWow64Redirection(void* saved);

  static bool GetFileModifiedTime(std::string_view path, DateTime* time);
  static DateTime ExeFileTime();
};

// Reads a REG_MULTI_SZ (or any value) as a list of strings: a 2048-byte
// buffer, strings up to each NUL, stopping at an empty string.
void ReadMultiString(platform::RegRoot root, std::string_view key, std::string_view name,
                     std::vector<std::string>* list);

// Converts with the user's decimal separator, then with the other one;
// throws std::invalid_argument when neither reads.
double StrToFloatAny(std::string_view text);

// "Recursive delete of a folder": every entry ("*.*"), sub-folders by the same
// routine, files with their read-only flag cleared; errors are ignored.
void DeleteFolderRecursive(std::string_view folder);

}  // namespace tav
