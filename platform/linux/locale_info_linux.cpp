#include "platform/locale_info.h"

#include <iconv.h>

#include <cerrno>
#include <string>

#include "platform/linux/virtual_pc.h"
#include "platform/text.h"

namespace tav::platform {

namespace {

const vpc::MachineFacts& Facts() {
  return vpc::VirtualPc::Current().facts();
}

std::string CodePageName() {
  return "CP" + std::to_string(Facts().ansi_code_page);
}

// Converts with iconv; a character the target lacks becomes "?" and an
// invalid input byte is skipped the same way, as Windows' conversions do.
std::string Convert(std::string_view input,
                    const std::string& from,
                    const std::string& to,
                    bool from_utf8) {
  iconv_t cd = iconv_open(to.c_str(), from.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1))
    return std::string(input);
  std::string out;
  out.resize(input.size() * 4 + 16);
  char* in_ptr = const_cast<char*>(input.data());
  size_t in_left = input.size();
  char* out_ptr = out.data();
  size_t out_left = out.size();
  while (in_left > 0) {
    if (iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left) != static_cast<size_t>(-1))
      break;
    if (errno == E2BIG) {
      const size_t used = out.size() - out_left;
      out.resize(out.size() * 2);
      out_ptr = out.data() + used;
      out_left = out.size() - used;
      continue;
    }
    // Skip one input character (a whole UTF-8 sequence when converting from UTF-8).
    size_t skip = 1;
    if (from_utf8) {
      const auto lead = static_cast<unsigned char>(*in_ptr);
      skip = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
      if (skip > in_left)
        skip = in_left;
    }
    in_ptr += skip;
    in_left -= skip;
    const char* replacement = from_utf8 ? "?" : "\xEF\xBF\xBD";
    for (const char* r = replacement; *r; ++r) {
      if (out_left == 0) {
        const size_t used = out.size();
        out.resize(out.size() * 2);
        out_ptr = out.data() + used;
        out_left = out.size() - used;
      }
      *out_ptr++ = *r;
      --out_left;
    }
  }
  out.resize(out.size() - out_left);
  iconv_close(cd);
  return out;
}

}  // namespace

LocaleFormats GetUserLocaleFormats() {
  const vpc::MachineFacts& f = Facts();
  LocaleFormats l;
  l.short_date = f.short_date;
  l.long_date = f.long_date;
  l.time_format = f.time_format;
  l.date_separator = f.date_separator;
  l.time_separator = f.time_separator;
  l.decimal_separator = f.decimal_separator;
  l.thousand_separator = f.thousand_separator;
  l.am = f.am;
  l.pm = f.pm;
  return l;
}

std::string GetUiLanguageName() {
  return Facts().ui_language;
}
uint32_t GetAnsiCodePage() {
  return Facts().ansi_code_page;
}

// Every ANSI code page keeps ASCII as it is, and most work files are plain
// ASCII: they need no conversion.
std::string Utf8ToAnsi(std::string_view utf8) {
  if (IsAscii(utf8))
    return std::string(utf8);
  return Convert(utf8, "UTF-8", CodePageName(), true);
}

std::string AnsiToUtf8(std::string_view ansi) {
  if (IsAscii(ansi))
    return std::string(ansi);
  return Convert(ansi, CodePageName(), "UTF-8", false);
}

}  // namespace tav::platform
