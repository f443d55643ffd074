#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/linux/path_map.h"
#include "platform/linux/wildcard_match.h"
#include "platform/text.h"
#include "platform/win_errors.h"

namespace tav::platform {

namespace {

using vpc::NativeFromWindows;

void SetError(int32_t* error, int32_t code) {
  if (error) *error = code;
}

int32_t FromErrno(int e, bool creating = false) {
  switch (e) {
    case ENOENT: return win_error::kFileNotFound;
    case ENOTDIR: return win_error::kPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS: return win_error::kAccessDenied;
    case EEXIST: return creating ? win_error::kAlreadyExists : win_error::kFileExists;
    case ENOTEMPTY: return win_error::kDirNotEmpty;
    case ENAMETOOLONG: return win_error::kInvalidName;
    case EBUSY:
    case ETXTBSY: return win_error::kSharingViolation;
    case ENOSPC: return 112;  // ERROR_DISK_FULL
    default: return win_error::kInvalidFunction;
  }
}

// ENOENT for a missing parent folder is "path not found" on Windows.
int32_t MissingError(const std::string& native) {
  const size_t slash = native.rfind('/');
  if (slash != std::string::npos && slash > 0) {
    struct stat st;
    if (stat(native.substr(0, slash).c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
      return win_error::kPathNotFound;
    }
  }
  return win_error::kFileNotFound;
}

uint64_t ToFileTime(const timespec& ts) {
  return static_cast<uint64_t>(ts.tv_sec) * 10000000ull + static_cast<uint64_t>(ts.tv_nsec) / 100 +
         116444736000000000ull;
}

timespec FromFileTime(uint64_t ft) {
  const uint64_t unix100 = ft >= 116444736000000000ull ? ft - 116444736000000000ull : 0;
  timespec ts;
  ts.tv_sec = static_cast<time_t>(unix100 / 10000000ull);
  ts.tv_nsec = static_cast<long>((unix100 % 10000000ull) * 100);
  return ts;
}

uint32_t AttributesOf(const std::string& native, const struct stat& st) {
  uint32_t attrs = 0;
  struct stat target;
  if (S_ISLNK(st.st_mode)) {
    attrs |= file_attr::kReparsePoint;
    if (stat(native.c_str(), &target) == 0 && S_ISDIR(target.st_mode)) {
      attrs |= file_attr::kDirectory;
    }
  } else if (S_ISDIR(st.st_mode)) {
    attrs |= file_attr::kDirectory;
  } else {
    attrs |= file_attr::kArchive;
  }
  if ((st.st_mode & S_IWUSR) == 0) attrs |= file_attr::kReadOnly;
  return attrs;
}

// Windows share modes between open handles, kept as open-file-description
// locks on bytes far beyond any data: a handle holds a read lock on the byte
// of each right it denies to others and on the byte of each right it uses; an
// opener probes with a write lock whether anyone denies what it wants or uses
// what it would deny.
constexpr off_t kShareLockBase = 0x7FFF00000000LL;
enum ShareByte : off_t {
  kDeniesDelete = 0,
  kDeniesWrite = 1,
  kUsesWrite = 2,
  kDeniesRead = 3,
  kUsesRead = 4,
};

bool LockByte(int fd, ShareByte byte, short type) {
  struct flock fl;
  std::memset(&fl, 0, sizeof fl);
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = kShareLockBase + byte;
  fl.l_len = 1;
  return fcntl(fd, F_OFD_SETLK, &fl) == 0;
}

// True when some other handle holds a lock on the byte. A lock test needs no
// particular access of the probing descriptor.
bool Held(int fd, ShareByte byte) {
  struct flock fl;
  std::memset(&fl, 0, sizeof fl);
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = kShareLockBase + byte;
  fl.l_len = 1;
  if (fcntl(fd, F_OFD_GETLK, &fl) != 0) return false;
  return fl.l_type != F_UNLCK;
}

bool InUseWithoutDeleteSharing(const std::string& native) {
  const int fd = open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return false;
  const bool held = Held(fd, kDeniesDelete);
  close(fd);
  return held;
}

}  // namespace

uint32_t GetFileAttributes(std::string_view path, int32_t* error) {
  const std::string native = NativeFromWindows(path);
  struct stat st;
  if (native.empty()) {
    SetError(error, win_error::kPathNotFound);
    return file_attr::kInvalid;
  }
  if (lstat(native.c_str(), &st) != 0) {
    SetError(error, errno == ENOENT ? MissingError(native) : FromErrno(errno));
    return file_attr::kInvalid;
  }
  return AttributesOf(native, st);
}

bool SetFileAttributes(std::string_view path, uint32_t attributes, int32_t* error) {
  const std::string native = NativeFromWindows(path);
  struct stat st;
  if (native.empty() || lstat(native.c_str(), &st) != 0) {
    SetError(error, native.empty() ? win_error::kPathNotFound : FromErrno(errno));
    return false;
  }
  if (S_ISLNK(st.st_mode)) return true;
  mode_t mode = st.st_mode & 07777;
  if (attributes & file_attr::kReadOnly) {
    mode &= ~(S_IWUSR | S_IWGRP | S_IWOTH);
  } else {
    mode |= S_IWUSR;
  }
  if (chmod(native.c_str(), mode) != 0) {
    SetError(error, FromErrno(errno));
    return false;
  }
  return true;
}

bool FileExists(std::string_view path) {
  const uint32_t attrs = GetFileAttributes(path);
  return attrs != file_attr::kInvalid && (attrs & file_attr::kDirectory) == 0;
}

bool DirectoryExists(std::string_view path) {
  const uint32_t attrs = GetFileAttributes(path);
  return attrs != file_attr::kInvalid && (attrs & file_attr::kDirectory) != 0;
}

bool DeleteFile(std::string_view path, int32_t* error) {
  const std::string native = NativeFromWindows(path);
  struct stat st;
  if (native.empty() || lstat(native.c_str(), &st) != 0) {
    SetError(error, native.empty() ? win_error::kPathNotFound : MissingError(native));
    return false;
  }
  if (S_ISDIR(st.st_mode)) {
    SetError(error, win_error::kAccessDenied);
    return false;
  }
  if (!S_ISLNK(st.st_mode)) {
    if ((st.st_mode & S_IWUSR) == 0) {
      SetError(error, win_error::kAccessDenied);
      return false;
    }
    if (InUseWithoutDeleteSharing(native)) {
      SetError(error, win_error::kSharingViolation);
      return false;
    }
  }
  if (unlink(native.c_str()) != 0) {
    SetError(error, FromErrno(errno));
    return false;
  }
  return true;
}

bool RemoveDirectory(std::string_view path, int32_t* error) {
  const std::string native = NativeFromWindows(path);
  struct stat st;
  if (native.empty() || lstat(native.c_str(), &st) != 0) {
    SetError(error, native.empty() ? win_error::kPathNotFound : MissingError(native));
    return false;
  }
  // A folder link (a reparse point) is removed as a folder, its target stays.
  const int rc = S_ISLNK(st.st_mode) ? unlink(native.c_str()) : rmdir(native.c_str());
  if (rc != 0) {
    SetError(error, errno == ENOTDIR ? win_error::kDirectory : FromErrno(errno));
    return false;
  }
  return true;
}

bool CreateDirectory(std::string_view path, int32_t* error) {
  const std::string native = NativeFromWindows(path);
  if (native.empty()) {
    SetError(error, win_error::kPathNotFound);
    return false;
  }
  if (mkdir(native.c_str(), 0755) != 0) {
    SetError(error, errno == ENOENT ? win_error::kPathNotFound : FromErrno(errno, true));
    return false;
  }
  return true;
}

bool MoveFile(std::string_view from, std::string_view to, bool replace_existing, int32_t* error) {
  const std::string src = NativeFromWindows(from);
  const std::string dst = NativeFromWindows(to);
  struct stat st;
  if (src.empty() || lstat(src.c_str(), &st) != 0) {
    SetError(error, src.empty() ? win_error::kPathNotFound : MissingError(src));
    return false;
  }
  if (dst.empty()) {
    SetError(error, win_error::kPathNotFound);
    return false;
  }
  struct stat target;
  if (lstat(dst.c_str(), &target) == 0) {
    if (!replace_existing || S_ISDIR(target.st_mode)) {
      SetError(error, replace_existing ? win_error::kAccessDenied : win_error::kAlreadyExists);
      return false;
    }
    // A read-only file is not replaced, as it is not deleted.
    if (!S_ISLNK(target.st_mode) && (target.st_mode & S_IWUSR) == 0) {
      SetError(error, win_error::kAccessDenied);
      return false;
    }
    if (InUseWithoutDeleteSharing(dst)) {
      SetError(error, win_error::kSharingViolation);
      return false;
    }
  }
  if (rename(src.c_str(), dst.c_str()) != 0) {
    SetError(error, errno == ENOENT ? win_error::kPathNotFound : FromErrno(errno));
    return false;
  }
  return true;
}

bool CopyFile(std::string_view from, std::string_view to, bool fail_if_exists, int32_t* error) {
  File in;
  if (!in.Open(from, File::kRead, File::kShareRead | File::kShareWrite, File::kOpenExisting,
               error)) {
    return false;
  }
  if (fail_if_exists && (FileExists(to) || DirectoryExists(to))) {
    SetError(error, win_error::kFileExists);
    return false;
  }
  File out;
  if (!out.Open(to, File::kWrite, File::kShareRead, File::kCreateAlways, error)) return false;
  std::vector<char> buffer(1 << 16);
  for (;;) {
    size_t got = 0;
    if (!in.Read(buffer.data(), buffer.size(), &got, error)) return false;
    if (got == 0) break;
    if (!out.Write(buffer.data(), got, error)) return false;
  }
  out.Close();
  uint64_t created = 0, written = 0;
  if (GetFileTimes(from, &created, &written)) SetLastWriteTime(to, written);
  return true;
}

namespace {

// Splits a search pattern into its folder and its mask. The mask is taken as
// written: normalising it as a path would turn "*." into "*".
bool SplitPattern(std::string_view pattern, std::string* folder, std::string* mask) {
  std::string raw(pattern);
  for (char& c : raw) {
    if (c == '/')
      c = '\\';
  }
  const size_t cut = raw.rfind('\\');
  std::string folder_part;
  if (cut != std::string::npos) {
    folder_part = raw.substr(0, cut + 1);
    *mask = raw.substr(cut + 1);
  } else if (raw.size() >= 2 && raw[1] == ':') {
    folder_part = raw.substr(0, 2);
    *mask = raw.substr(2);
  } else {
    folder_part = ".";
    *mask = raw;
  }
  *folder = vpc::FullWindowsPath(folder_part);
  while (folder->size() > 3 && folder->back() == '\\')
    folder->pop_back();
  return !folder->empty();
}

}  // namespace

bool FindFiles(std::string_view pattern, std::vector<FindData>* found, int32_t* error) {
  found->clear();
  std::string folder, mask;
  if (!SplitPattern(pattern, &folder, &mask)) {
    SetError(error, win_error::kPathNotFound);
    return false;
  }
  const std::string native = NativeFromWindows(folder);
  DIR* dir = native.empty() ? nullptr : opendir(native.c_str());
  if (!dir) {
    SetError(error, win_error::kPathNotFound);
    return false;
  }
  // "C:\dir\" names no file: FindFirstFile fails on a trailing separator.
  if (mask.empty()) {
    closedir(dir);
    SetError(error, win_error::kFileNotFound);
    return false;
  }
  // The root of a drive has no "." and ".." entries on Windows.
  const bool drive_root = folder.size() == 3;
  std::vector<std::string> names;
  while (dirent* entry = readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (drive_root && (name == "." || name == ".."))
      continue;
    names.emplace_back(name);
  }
  closedir(dir);
  // NTFS lists a folder in name order; the drive folders follow that.
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return FoldCase(a) < FoldCase(b); });
  for (const std::string& name : names) {
    if (!vpc::MatchesFilePattern(mask, name))
      continue;
    const std::string child = native + "/" + name;
    struct stat st;
    if (lstat(child.c_str(), &st) != 0) continue;
    FindData data;
    data.name = name;
    data.attributes = AttributesOf(child, st);
    data.size = S_ISREG(st.st_mode) ? static_cast<uint64_t>(st.st_size) : 0;
    data.last_write_time = ToFileTime(st.st_mtim);
    found->push_back(std::move(data));
  }
  return true;
}

bool GetFileTimes(std::string_view path, uint64_t* creation, uint64_t* last_write,
                  int32_t* error) {
  const std::string native = NativeFromWindows(path);
  struct statx stx;
  if (native.empty() ||
      statx(AT_FDCWD, native.c_str(), 0, STATX_BTIME | STATX_MTIME, &stx) != 0) {
    SetError(error, native.empty() ? win_error::kPathNotFound : MissingError(native));
    return false;
  }
  const timespec mtime{stx.stx_mtime.tv_sec, stx.stx_mtime.tv_nsec};
  const timespec btime = (stx.stx_mask & STATX_BTIME)
                             ? timespec{stx.stx_btime.tv_sec, stx.stx_btime.tv_nsec}
                             : mtime;
  if (creation) *creation = ToFileTime(btime);
  if (last_write) *last_write = ToFileTime(mtime);
  return true;
}

bool SetLastWriteTime(std::string_view path, uint64_t last_write, int32_t* error) {
  const std::string native = NativeFromWindows(path);
  timespec times[2];
  times[0].tv_nsec = UTIME_OMIT;
  times[1] = FromFileTime(last_write);
  if (native.empty() || utimensat(AT_FDCWD, native.c_str(), times, 0) != 0) {
    SetError(error, native.empty() ? win_error::kPathNotFound : FromErrno(errno));
    return false;
  }
  return true;
}

bool GetFileSize(std::string_view path, uint64_t* size, int32_t* error) {
  const std::string native = NativeFromWindows(path);
  struct stat st;
  if (native.empty() || stat(native.c_str(), &st) != 0) {
    SetError(error, native.empty() ? win_error::kPathNotFound : MissingError(native));
    return false;
  }
  *size = S_ISREG(st.st_mode) ? static_cast<uint64_t>(st.st_size) : 0;
  return true;
}

std::string GetCurrentDirectory() { return vpc::CurrentDirectory(); }

bool SetCurrentDirectory(std::string_view path, int32_t* error) {
  const std::string full = vpc::FullWindowsPath(path);
  if (full.empty() || !DirectoryExists(full)) {
    SetError(error, win_error::kPathNotFound);
    return false;
  }
  vpc::SetCurrentDirectoryPath(full);
  return true;
}

std::string GetFullPathName(std::string_view path) { return vpc::FullWindowsPath(path); }

std::string NativePath(std::string_view path) { return NativeFromWindows(path); }

std::string WindowsPathFromNative(std::string_view native_path) {
  return vpc::WindowsFromNative(native_path);
}

File::~File() { Close(); }

File::File(File&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

bool File::Open(std::string_view path, uint32_t access, uint32_t share, Disposition disposition,
                int32_t* error) {
  Close();
  const std::string native = NativeFromWindows(path);
  if (native.empty()) {
    SetError(error, win_error::kPathNotFound);
    return false;
  }
  struct stat st;
  const bool exists = stat(native.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) {
    SetError(error, win_error::kAccessDenied);
    return false;
  }
  if (exists && (access & kWrite) && (st.st_mode & S_IWUSR) == 0) {
    SetError(error, win_error::kAccessDenied);
    return false;
  }
  // A writer also gets read access underneath: the share-mode locks below are
  // read locks, which need a readable descriptor.
  int flags = O_CLOEXEC | ((access & kWrite) ? O_RDWR : O_RDONLY);
  switch (disposition) {
    case kCreateNew: flags |= O_CREAT | O_EXCL; break;
    case kCreateAlways: flags |= O_CREAT; break;
    case kOpenExisting: break;
    case kOpenAlways: flags |= O_CREAT; break;
    case kTruncateExisting: break;
  }
  const int fd = open(native.c_str(), flags, 0644);
  if (fd < 0) {
    SetError(error, errno == ENOENT ? MissingError(native) : FromErrno(errno));
    return false;
  }
  // Share-mode check before the file is changed.
  const bool conflict = ((access & kWrite) && Held(fd, kDeniesWrite)) ||
                        ((access & kRead) && Held(fd, kDeniesRead)) ||
                        (!(share & kShareWrite) && Held(fd, kUsesWrite)) ||
                        (!(share & kShareRead) && Held(fd, kUsesRead));
  if (conflict) {
    close(fd);
    SetError(error, win_error::kSharingViolation);
    return false;
  }
  if (!(share & kShareDelete)) LockByte(fd, kDeniesDelete, F_RDLCK);
  if (!(share & kShareWrite)) LockByte(fd, kDeniesWrite, F_RDLCK);
  if (!(share & kShareRead)) LockByte(fd, kDeniesRead, F_RDLCK);
  if (access & kWrite) LockByte(fd, kUsesWrite, F_RDLCK);
  if (access & kRead) LockByte(fd, kUsesRead, F_RDLCK);
  if ((disposition == kCreateAlways || disposition == kTruncateExisting) && ftruncate(fd, 0) != 0) {
    SetError(error, FromErrno(errno));
    close(fd);
    return false;
  }
  fd_ = fd;
  SetError(error, exists && (disposition == kCreateAlways || disposition == kOpenAlways)
                      ? win_error::kAlreadyExists
                      : win_error::kSuccess);
  return true;
}

void File::Close() {
  if (fd_ >= 0) {
    close(fd_);
    fd_ = -1;
  }
}

bool File::Read(void* buffer, size_t size, size_t* read, int32_t* error) {
  *read = 0;
  if (fd_ < 0) {
    SetError(error, win_error::kInvalidHandle);
    return false;
  }
  for (;;) {
    const ssize_t got = ::read(fd_, buffer, size);
    if (got >= 0) {
      *read = static_cast<size_t>(got);
      return true;
    }
    if (errno != EINTR) {
      SetError(error, errno == EBADF ? win_error::kAccessDenied : win_error::kReadFault);
      return false;
    }
  }
}

bool File::Write(const void* data, size_t size, int32_t* error) {
  if (fd_ < 0) {
    SetError(error, win_error::kInvalidHandle);
    return false;
  }
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t put = ::write(fd_, p, size);
    if (put < 0) {
      if (errno == EINTR) continue;
      SetError(error, errno == EBADF ? win_error::kAccessDenied : FromErrno(errno));
      return false;
    }
    p += put;
    size -= static_cast<size_t>(put);
  }
  return true;
}

bool File::Seek(int64_t offset, Origin origin, int64_t* position, int32_t* error) {
  if (fd_ < 0) {
    SetError(error, win_error::kInvalidHandle);
    return false;
  }
  const int whence = origin == kBegin ? SEEK_SET : origin == kCurrent ? SEEK_CUR : SEEK_END;
  const off_t pos = lseek(fd_, offset, whence);
  if (pos < 0) {
    SetError(error, win_error::kInvalidParameter);
    return false;
  }
  if (position) *position = pos;
  return true;
}

bool File::SetEndOfFile(int32_t* error) {
  if (fd_ < 0) {
    SetError(error, win_error::kInvalidHandle);
    return false;
  }
  const off_t pos = lseek(fd_, 0, SEEK_CUR);
  if (pos < 0 || ftruncate(fd_, pos) != 0) {
    SetError(error, win_error::kAccessDenied);
    return false;
  }
  return true;
}

int64_t File::Size() const {
  struct stat st;
  if (fd_ < 0 || fstat(fd_, &st) != 0) return -1;
  return st.st_size;
}

}  // namespace tav::platform
