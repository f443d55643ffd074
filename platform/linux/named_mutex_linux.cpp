// A named mutex is a lock file in the PC's run folder: every handle holds a
// shared lock on it, and "exists" means someone holds one.
#include "platform/named_mutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/linux/virtual_pc.h"
#include "platform/text.h"
#include "platform/win_errors.h"

namespace tav::platform {

namespace {

std::string LockPath(std::string_view name) {
  std::string file;
  for (char c : FoldCase(name)) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
    file += plain ? std::string(1, c) : "%" + std::to_string(static_cast<unsigned char>(c));
  }
  return vpc::VirtualPc::Current().RunFolder("mutex") + "/" + file + ".lock";
}

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

bool NamedMutex::Exists(std::string_view name) { return HeldByAnyone(LockPath(name)); }

bool NamedMutex::Create(std::string_view name, bool* already_existed, int32_t* error) {
  Close();
  const std::string path = LockPath(name);
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
