#include "platform/text.h"

namespace tav {

namespace {

// Decodes one code point; invalid bytes decode as U+FFFD and advance by one.
char32_t DecodeUtf8(std::string_view s, size_t* i) {
  const auto b0 = static_cast<unsigned char>(s[*i]);
  auto cont = [&](size_t k) -> int {
    if (*i + k >= s.size())
      return -1;
    const auto b = static_cast<unsigned char>(s[*i + k]);
    return (b & 0xC0) == 0x80 ? (b & 0x3F) : -1;
  };
  if (b0 < 0x80) {
    *i += 1;
    return b0;
  }
  if ((b0 & 0xE0) == 0xC0) {
    const int c1 = cont(1);
    if (c1 >= 0 && b0 >= 0xC2) {
      *i += 2;
      return static_cast<char32_t>(((b0 & 0x1F) << 6) | c1);
    }
  } else if ((b0 & 0xF0) == 0xE0) {
    const int c1 = cont(1), c2 = cont(2);
    if (c1 >= 0 && c2 >= 0) {
      const char32_t cp = ((b0 & 0x0F) << 12) | (c1 << 6) | c2;
      if (cp >= 0x800 && (cp < 0xD800 || cp > 0xDFFF)) {
        *i += 3;
        return cp;
      }
    }
  } else if ((b0 & 0xF8) == 0xF0) {
    const int c1 = cont(1), c2 = cont(2), c3 = cont(3);
    if (c1 >= 0 && c2 >= 0 && c3 >= 0) {
      const char32_t cp = ((b0 & 0x07) << 18) | (c1 << 12) | (c2 << 6) | c3;
      if (cp >= 0x10000 && cp <= 0x10FFFF) {
        *i += 4;
        return cp;
      }
    }
  }
  *i += 1;
  return 0xFFFD;
}

void EncodeUtf8(char32_t cp, std::string* out) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    const char32_t cp = DecodeUtf8(utf8, &i);
    if (cp >= 0x10000) {
      const char32_t v = cp - 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (v >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (size_t i = 0; i < utf16.size(); ++i) {
    char32_t cp = utf16[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
        utf16[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    EncodeUtf8(cp, &out);
  }
  return out;
}

std::vector<uint8_t> Utf8ToUtf16leBytes(std::string_view utf8, bool with_nul) {
  const std::u16string wide = Utf8ToUtf16(utf8);
  std::vector<uint8_t> out;
  out.reserve(wide.size() * 2 + 2);
  for (char16_t c : wide) {
    out.push_back(static_cast<uint8_t>(c & 0xFF));
    out.push_back(static_cast<uint8_t>(c >> 8));
  }
  if (with_nul) {
    out.push_back(0);
    out.push_back(0);
  }
  return out;
}

std::string Utf16leBytesToUtf8(const uint8_t* data, size_t size) {
  std::u16string wide;
  wide.reserve(size / 2);
  for (size_t i = 0; i + 1 < size; i += 2) {
    const char16_t c = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (c == 0)
      break;
    wide.push_back(c);
  }
  return Utf16ToUtf8(wide);
}

char AsciiUpper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}
char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

std::string ToUpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    c = AsciiUpper(c);
  return out;
}

std::string ToLowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    c = AsciiLower(c);
  return out;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiUpper(a[i]) != AsciiUpper(b[i]))
      return false;
  }
  return true;
}

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

bool IsAscii(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80)
      return false;
  }
  return true;
}

bool EqualsFolded(std::string_view a, std::string_view b) {
  const bool a_ascii = IsAscii(a), b_ascii = IsAscii(b);
  if (a_ascii && b_ascii)
    return EqualsIgnoreCase(a, b);
  // Folding keeps ASCII as ASCII and other characters outside it.
  if (a_ascii != b_ascii)
    return false;
  return FoldCase(a) == FoldCase(b);
}

std::string FoldCase(std::string_view text) {
  if (IsAscii(text))
    return ToUpperAscii(text);
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    char32_t cp = DecodeUtf8(text, &i);
    if (cp >= 'a' && cp <= 'z') {
      cp -= 32;
    } else if ((cp >= 0xE0 && cp <= 0xFE && cp != 0xF7)) {
      cp -= 32;  // Latin-1 small letters
    }
    EncodeUtf8(cp, &out);
  }
  return out;
}

}  // namespace tav
