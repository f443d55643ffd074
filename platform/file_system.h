// Files and folders of the PC, addressed by Windows paths such as
// "C:\Windows\inf\oem1.inf" or "\\?\C:\x" (forward slashes accepted). Path components resolve
// without regard to letter case, as on Windows. Relative paths resolve
// against the process's current directory.
//
// Windows semantics kept on every implementation: a file that someone holds
// open without delete sharing cannot be deleted (kSharingViolation) but can
// be renamed; a read-only file cannot be deleted (kAccessDenied); a folder
// that is not empty cannot be removed (kDirNotEmpty).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tav::platform {

namespace file_attr {
inline constexpr uint32_t kReadOnly = 0x1;
inline constexpr uint32_t kHidden = 0x2;
inline constexpr uint32_t kSystem = 0x4;
inline constexpr uint32_t kDirectory = 0x10;
inline constexpr uint32_t kArchive = 0x20;
inline constexpr uint32_t kNormal = 0x80;
inline constexpr uint32_t kReparsePoint = 0x400;
inline constexpr uint32_t kInvalid = 0xFFFFFFFF;
}  // namespace file_attr

// GetFileAttributes; kInvalid and the error when the path does not exist.
uint32_t GetFileAttributes(std::string_view path, int32_t* error = nullptr);
bool SetFileAttributes(std::string_view path, uint32_t attributes, int32_t* error = nullptr);

bool FileExists(std::string_view path);       // an existing file, not a folder
bool DirectoryExists(std::string_view path);  // an existing folder

bool DeleteFile(std::string_view path, int32_t* error = nullptr);
bool RemoveDirectory(std::string_view path, int32_t* error = nullptr);  // empty folders only
bool CreateDirectory(std::string_view path, int32_t* error = nullptr);  // one level
// MoveFileEx; replace_existing = MOVEFILE_REPLACE_EXISTING.
bool MoveFile(std::string_view from, std::string_view to, bool replace_existing,
              int32_t* error = nullptr);
bool CopyFile(std::string_view from, std::string_view to, bool fail_if_exists,
              int32_t* error = nullptr);

// SHFileOperation(FO_DELETE) without confirmation or error dialogs: deletes a
// file or a folder with everything in it. 0 on success, else the error code
// of what could not be deleted.
int32_t ShellDeleteTree(std::string_view path);

struct FindData {
  std::string name;
  uint32_t attributes = 0;
  uint64_t size = 0;
  uint64_t last_write_time = 0;  // FILETIME, UTC
};
// FindFirstFile/FindNextFile over a pattern such as "C:\dir\*.dul" ("*" and
// "?" in the last component). "." and ".." are listed for the patterns that
// match them, as on Windows. A missing folder is kPathNotFound; no match is
// success with an empty list.
bool FindFiles(std::string_view pattern, std::vector<FindData>* found,
               int32_t* error = nullptr);

// Times as FILETIME (UTC, 100 ns since 1601).
bool GetFileTimes(std::string_view path, uint64_t* creation, uint64_t* last_write,
                  int32_t* error = nullptr);
bool SetLastWriteTime(std::string_view path, uint64_t last_write, int32_t* error = nullptr);
bool GetFileSize(std::string_view path, uint64_t* size, int32_t* error = nullptr);

std::string GetCurrentDirectory();  // with no trailing "\" except for a drive root
bool SetCurrentDirectory(std::string_view path, int32_t* error = nullptr);
// GetFullPathName: the absolute, normalised Windows path.
std::string GetFullPathName(std::string_view path);

// The native path of a Windows path, for libraries that open files
// themselves (SQLite, the archive library). Empty when the path cannot be
// mapped (no such drive).
std::string NativePath(std::string_view path);
// The Windows path of a native path; empty when it lies outside the PC.
std::string WindowsPathFromNative(std::string_view native_path);

// A file handle with Windows open semantics.
class File {
 public:
  enum Access : uint32_t { kRead = 1, kWrite = 2 };
  enum Share : uint32_t { kShareRead = 1, kShareWrite = 2, kShareDelete = 4 };
  enum Disposition { kCreateNew, kCreateAlways, kOpenExisting, kOpenAlways, kTruncateExisting };
  enum Origin { kBegin, kCurrent, kEnd };

  File() = default;
  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // CreateFile. On failure the error is kept in *error.
  bool Open(std::string_view path, uint32_t access, uint32_t share, Disposition disposition,
            int32_t* error = nullptr);
  bool IsOpen() const { return fd_ >= 0; }
  void Close();

  bool Read(void* buffer, size_t size, size_t* read, int32_t* error = nullptr);
  bool Write(const void* data, size_t size, int32_t* error = nullptr);
  bool Seek(int64_t offset, Origin origin, int64_t* position = nullptr, int32_t* error = nullptr);
  bool SetEndOfFile(int32_t* error = nullptr);
  int64_t Size() const;  // -1 when unknown

 private:
  int fd_ = -1;
};

}  // namespace tav::platform
