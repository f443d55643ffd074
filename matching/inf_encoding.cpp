#include "matching/inf_encoding.h"

#include <iconv.h>

#include <cerrno>

#include <vector>

#include "platform/locale_info.h"
#include "platform/text.h"

namespace tav {

namespace {

bool HasPrefix(std::string_view bytes, std::string_view prefix) {
  return bytes.substr(0, prefix.size()) == prefix;
}

// A byte sequence the code page does not know comes out as "?", as
// Windows converts it.
std::string FromCodePage(std::string_view bytes, uint32_t code_page) {
  const std::string name = "CP" + std::to_string(code_page);
  iconv_t cd = iconv_open("UTF-8", name.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1))
    return std::string(bytes);
  std::string out;
  std::vector<char> buffer(bytes.size() * 4 + 16);
  char* in = const_cast<char*>(bytes.data());
  size_t in_left = bytes.size();
  while (in_left > 0) {
    char* to = buffer.data();
    size_t to_left = buffer.size();
    const size_t rc = iconv(cd, &in, &in_left, &to, &to_left);
    out.append(buffer.data(), buffer.size() - to_left);
    if (rc != static_cast<size_t>(-1))
      break;
    if (errno == E2BIG)
      continue;
    out += '?';
    ++in;
    --in_left;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  iconv_close(cd);
  return out;
}

}  // namespace

std::string DecodeInfBytes(std::string_view bytes, uint32_t code_page) {
  if (HasPrefix(bytes, "\xFF\xFE")) {
    std::u16string wide((bytes.size() - 2) / 2, u'\0');
    for (size_t i = 0; i < wide.size(); ++i) {
      wide[i] = static_cast<char16_t>(static_cast<uint8_t>(bytes[2 + 2 * i]) |
                                      (static_cast<uint8_t>(bytes[3 + 2 * i]) << 8));
    }
    return Utf16ToUtf8(wide);
  }
  if (HasPrefix(bytes, "\xEF\xBB\xBF"))
    return std::string(bytes.substr(3));
  if (code_page == 0)
    return platform::AnsiToUtf8(bytes);
  return FromCodePage(bytes, code_page);
}

}  // namespace tav
