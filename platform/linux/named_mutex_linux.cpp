// A named mutex is a lock file in the PC's run folder: every handle holds a
// shared lock on it, and "exists" means someone holds one.
#include "platform/named_mutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>

#include "platform/linux/virtual_pc.h"
#include "platform/win_errors.h"

namespace tav::platform {

namespace {

std::string LockPath(std::string_view name) {
  // Mutex names compare with their letter case, as on Windows. Other bytes
  // as two hex digits each, so that no two names share a file.
  std::string file;
  // "Local\" names the session's namespace, where a bare name already lives.
  if (name.substr(0, 6) == "Local\\")
    name.remove_prefix(6);
  for (char c : name) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '_';
    if (plain) {
      file += c;
    } else {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(c));
      file += escaped;
    }
  }
  return vpc::VirtualPc::Current().RunFolder("mutex") + "/" + file + ".lock";
}

// The probe below takes the lock exclusively for a moment, which a second
// probe would take for a holder; and a creator must test and take its handle
// in one step, or two programs starting together would both see none. Both
// happen under this guard, held for a few system calls.
class Guard {
 public:
  explicit Guard(const std::string& lock_path)
      : fd_(open((lock_path + ".guard").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)) {
    if (fd_ >= 0)
      flock(fd_, LOCK_EX);
  }
  ~Guard() {
    if (fd_ >= 0)
      close(fd_);
  }
  Guard(const Guard&) = delete;
  Guard& operator=(const Guard&) = delete;

 private:
  int fd_;
};

bool HeldByAnyone(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool held = flock(fd, LOCK_EX | LOCK_NB) != 0;
  if (!held) flock(fd, LOCK_UN);
  close(fd);
  return held;
}

}  // namespace

struct NamedMutex::Impl {
  int fd = -1;
  ~Impl() {
    if (fd >= 0) close(fd);
  }
};

NamedMutex::NamedMutex() = default;
NamedMutex::~NamedMutex() = default;
NamedMutex::NamedMutex(NamedMutex&&) noexcept = default;
NamedMutex& NamedMutex::operator=(NamedMutex&&) noexcept = default;

bool NamedMutex::Exists(std::string_view name) {
  const std::string path = LockPath(name);
  Guard guard(path);
  return HeldByAnyone(path);
}

bool NamedMutex::Create(std::string_view name, bool* already_existed, int32_t* error) {
  Close();
  const std::string path = LockPath(name);
  Guard guard(path);
  const bool existed = HeldByAnyone(path);
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0 || flock(fd, LOCK_SH) != 0) {
    if (fd >= 0) close(fd);
    if (error) *error = win_error::kAccessDenied;
    return false;
  }
  impl_ = std::make_unique<Impl>();
  impl_->fd = fd;
  if (already_existed) *already_existed = existed;
  if (error) *error = existed ? win_error::kAlreadyExists : win_error::kSuccess;
  return true;
}

void NamedMutex::Close() { impl_.reset(); }

}  // namespace tav::platform
