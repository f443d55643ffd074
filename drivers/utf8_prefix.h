// Length limits of display texts count characters, not bytes.
#pragma once

#include <string>
#include <string_view>

namespace tav {

// The first count characters of a UTF-8 text (all of it when it is shorter).
inline std::string Utf8Prefix(std::string_view text, size_t count) {
  size_t at = 0;
  for (size_t taken = 0; at < text.size() && taken < count; ++taken) {
    ++at;
    while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80)
      ++at;
  }
  return std::string(text.substr(0, at));
}

// The number of characters of a UTF-8 text.
inline size_t Utf8Length(std::string_view text) {
  size_t length = 0;
  for (const char c : text)
    length += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return length;
}

}  // namespace tav
