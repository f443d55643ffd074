// A content folder for tavrolin-service in a fresh temporary folder: driver
// packages under downloads/, small driver databases packed as
// databases/ARCH/OS/Drivers.7z. Removed at destruction.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "tests/support/temp_machine.h"

namespace tav::testing {

class ServiceContent {
 public:
  const std::string& root() const { return folder_.path(); }

  // downloads/NAME with size bytes made from the seed; returns the bytes.
  std::string AddPackage(const std::string& name, size_t size, uint32_t seed = 1) const;
  // Any file under the content folder; returns its host path.
  std::string AddFile(const std::string& relative, const std::string& bytes) const;
  // A database whose "settings" row "date" is the date; returns the archive's path.
  std::string AddDatabase(const std::string& arch,
                          const std::string& os,
                          const std::string& date) const;

  static std::string Bytes(size_t size, uint32_t seed);
  static std::string ReadHostFile(const std::string& path);

 private:
  TempFolder folder_;
};

// Equal bytes; a failure names the sizes and the first difference instead
// of printing binary data.
::testing::AssertionResult SameBytes(const std::string& got, const std::string& want);

// MD5 of bytes as lower-case hexadecimal text.
std::string Md5Hex(const std::string& bytes);

}  // namespace tav::testing
