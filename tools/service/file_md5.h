// MD5 of a file as 32 lower-case hexadecimal digits, as the program compares it.
#pragma once

#include <string>

namespace tav::service {

// Empty when the file cannot be read.
std::string FileMd5Hex(const std::string& path);

}  // namespace tav::service
