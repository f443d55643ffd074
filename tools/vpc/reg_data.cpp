#include "tools/vpc/reg_data.h"

#include <cinttypes>
#include <cstdio>
#include <vector>

#include "platform/text.h"

namespace tav::vpc_tool {

using platform::RegType;
using platform::RegValue;

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  c = AsciiLower(c);
  return (c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1;
}

// A decimal number, or hexadecimal after "0x"; no sign.
bool ParseNumber(std::string_view text, uint64_t max, uint64_t* number) {
  const bool hex = text.size() > 2 && text[0] == '0' && AsciiLower(text[1]) == 'x';
  const std::string_view digits = hex ? text.substr(2) : text;
  if (digits.empty())
    return false;
  const uint64_t base = hex ? 16 : 10;
  *number = 0;
  for (char c : digits) {
    const int d = HexDigit(c);
    if (d < 0 || static_cast<uint64_t>(d) >= base)
      return false;
    if (*number > (max - static_cast<uint64_t>(d)) / base)
      return false;
    *number = *number * base + static_cast<uint64_t>(d);
  }
  return true;
}

// An odd count of digits starts with a lone one ("abc" is 0a bc).
bool ParseHexData(std::string_view text, std::vector<uint8_t>* bytes) {
  size_t i = 0;
  if (text.size() % 2) {
    const int d = HexDigit(text[0]);
    if (d < 0)
      return false;
    bytes->push_back(static_cast<uint8_t>(d));
    i = 1;
  }
  for (; i < text.size(); i += 2) {
    const int high = HexDigit(text[i]), low = HexDigit(text[i + 1]);
    if (high < 0 || low < 0)
      return false;
    bytes->push_back(static_cast<uint8_t>(high * 16 + low));
  }
  return true;
}

bool SplitMultiString(std::string_view text, char separator, std::vector<std::string>* items) {
  const std::string_view sep = separator ? std::string_view(&separator, 1) : "\\0";
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(sep, start);
    if (end == std::string_view::npos)
      end = text.size();
    // An empty string would end the list early; reg.exe refuses it.
    if (end == start)
      return false;
    items->emplace_back(text.substr(start, end - start));
    start = end + sep.size();
  }
  return true;
}

}  // namespace

bool ParseRegType(std::string_view name, RegType* type) {
  static constexpr RegType kTypes[] = {RegType::kSz,    RegType::kExpandSz, RegType::kMultiSz,
                                       RegType::kDword, RegType::kQword,    RegType::kBinary,
                                       RegType::kNone};
  for (RegType t : kTypes) {
    if (EqualsIgnoreCase(name, platform::RegTypeName(t))) {
      *type = t;
      return true;
    }
  }
  return false;
}

bool ParseRegData(RegType type,
                  std::string_view data,
                  char separator,
                  RegValue* value,
                  std::string* error) {
  uint64_t number = 0;
  switch (type) {
    case RegType::kDword:
    case RegType::kQword:
      if (!ParseNumber(data, type == RegType::kDword ? 0xFFFFFFFFull : ~0ull, &number)) {
        *error = "ERROR: Invalid syntax. Specify valid numeric value for '/d'.";
        return false;
      }
      *value = type == RegType::kDword ? RegValue::Dword(static_cast<uint32_t>(number))
                                       : RegValue::Qword(number);
      return true;
    case RegType::kBinary: {
      std::vector<uint8_t> bytes;
      if (!ParseHexData(data, &bytes)) {
        *error = "ERROR: Invalid syntax. Specify valid hexadecimal value for '/d'.";
        return false;
      }
      *value = RegValue::Binary(std::move(bytes));
      return true;
    }
    case RegType::kMultiSz: {
      std::vector<std::string> items;
      if (!SplitMultiString(data, separator, &items)) {
        *error = "ERROR: Invalid syntax. A REG_MULTI_SZ cannot hold an empty string.";
        return false;
      }
      *value = RegValue::MultiString(items);
      return true;
    }
    default:
      // REG_SZ, REG_EXPAND_SZ and REG_NONE all take the text with its NUL.
      *value = RegValue::String(data, type);
      return true;
  }
}

std::string FormatRegData(const RegValue& value) {
  char number[32];
  switch (value.type) {
    case RegType::kSz:
    case RegType::kExpandSz:
      return value.AsString();
    case RegType::kDword:
      std::snprintf(number, sizeof number, "0x%" PRIx32, value.AsDword());
      return number;
    case RegType::kQword:
      std::snprintf(number, sizeof number, "0x%" PRIx64, value.AsQword());
      return number;
    case RegType::kMultiSz: {
      std::string joined;
      for (const std::string& item : value.AsMultiString()) {
        if (!joined.empty())
          joined += "\\0";
        joined += item;
      }
      return joined;
    }
    default: {
      std::string hex;
      for (uint8_t byte : value.data) {
        std::snprintf(number, sizeof number, "%02X", byte);
        hex += number;
      }
      return hex;
    }
  }
}

}  // namespace tav::vpc_tool
