#include "drivers/class_guid.h"

#include <cstdio>

namespace tav {

namespace {

constexpr size_t kGuidTextLength = 38;

int HexDigit(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

// Reads digits hex digits at text[at]; false when one is not a digit.
bool ReadHex(std::string_view text, size_t at, size_t digits, uint64_t* value) {
  *value = 0;
  for (size_t i = 0; i < digits; ++i) {
    const int digit = HexDigit(text[at + i]);
    if (digit < 0)
      return false;
    *value = *value << 4 | static_cast<uint64_t>(digit);
  }
  return true;
}

bool HasFrame(std::string_view text) {
  return text.size() == kGuidTextLength && text.front() == '{' && text.back() == '}' &&
         text[9] == '-' && text[14] == '-' && text[19] == '-' && text[24] == '-';
}

}  // namespace

bool TryParseGuid(std::string_view text, TGuid* guid) {
  if (!HasFrame(text))
    return false;
  uint64_t d1 = 0, d2 = 0, d3 = 0, d4 = 0, d5 = 0;
  if (!ReadHex(text, 1, 8, &d1) || !ReadHex(text, 10, 4, &d2) || !ReadHex(text, 15, 4, &d3) ||
      !ReadHex(text, 20, 4, &d4) || !ReadHex(text, 25, 12, &d5)) {
    return false;
  }
  guid->Data1 = static_cast<uint32_t>(d1);
  guid->Data2 = static_cast<uint16_t>(d2);
  guid->Data3 = static_cast<uint16_t>(d3);
  guid->Data4[0] = static_cast<uint8_t>(d4 >> 8);
  guid->Data4[1] = static_cast<uint8_t>(d4);
  for (int i = 0; i < 6; ++i)
    guid->Data4[2 + i] = static_cast<uint8_t>(d5 >> (8 * (5 - i)));
  return true;
}

std::string GuidToString(const TGuid& guid) {
  char text[kGuidTextLength + 1];
  const auto& d = guid.Data4;
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", guid.Data1,
                guid.Data2, guid.Data3, d[0], d[1], d[2], d[3], d[4], d[5], d[6], d[7]);
  return text;
}

}  // namespace tav
