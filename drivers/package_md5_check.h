// The check of a downloaded package file against the MD5 of the driver
// database, compared as lower-case hexadecimal text, exactly.
#pragma once

#include <string_view>

namespace tav {

enum class Md5Check {
  kPassed,      // equal, or no MD5 to compare with
  kMismatch,    // the file was deleted, so the next attempt starts from zero
  kUnreadable,  // the file could not be opened three times
};

// Logged under "TDownloadThread.CheckMD5" with the package key. An unreadable
// file is tried again after 1000 ms and after 2000 more.
Md5Check CheckPackageMd5(std::string_view file, std::string_view key, std::string_view expected);

}  // namespace tav
