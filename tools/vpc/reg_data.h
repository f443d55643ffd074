// Value data as reg.exe takes it on its command line ("/t REG_DWORD /d 0x10")
// and shows it in a query ("0x10").
#pragma once

#include <string>
#include <string_view>

#include "platform/registry.h"

namespace tav::vpc_tool {

// "REG_SZ", "reg_dword", ...: the types reg add knows.
bool ParseRegType(std::string_view name, platform::RegType* type);

// The data of reg add for a type. A REG_MULTI_SZ is split at the separator
// character, or at the two characters "\0" when separator is '\0'. False
// with reg.exe's error text.
bool ParseRegData(platform::RegType type,
                  std::string_view data,
                  char separator,
                  platform::RegValue* value,
                  std::string* error);

// The data column of reg query: texts as they are, numbers as 0x hex, bytes
// as hex digits, the strings of a REG_MULTI_SZ joined with "\0".
std::string FormatRegData(const platform::RegValue& value);

}  // namespace tav::vpc_tool
