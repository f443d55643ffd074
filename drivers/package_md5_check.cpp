#include "drivers/package_md5_check.h"

#include <string>

#include "core/file_utils.h"
#include "core/log_engine.h"
#include "core/md5.h"
#include "platform/clock.h"

namespace tav {

namespace {

constexpr std::string_view kRoutine = "TDownloadThread.CheckMD5";

// A fresh file is often held for a moment by a virus scanner.
bool DigestWithRetries(std::string_view file, Md5Digest* digest) {
  for (const uint32_t pause : {1000u, 2000u}) {
    if (MD5File(file, digest))
      return true;
    platform::Sleep(pause);
  }
  return MD5File(file, digest);
}

}  // namespace

Md5Check CheckPackageMd5(std::string_view file, std::string_view key, std::string_view expected) {
  if (expected.empty())
    return Md5Check::kPassed;
  Md5Digest digest;
  if (!DigestWithRetries(file, &digest))
    return Md5Check::kUnreadable;
  if (MD5DigestToHex(digest) == expected)
    return Md5Check::kPassed;
  XLog::Error(kRoutine, "MD5 fail: " + std::string(expected), 0, key);
  if (!XFile::DeleteFile(file))
    XLog::Error(kRoutine, "Delete fail", 0, key);
  return Md5Check::kMismatch;
}

}  // namespace tav
