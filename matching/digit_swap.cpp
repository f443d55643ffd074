#include "matching/digit_swap.h"

#include "core/text_utils.h"

namespace tav {

namespace {

char Partner(char c) {
  switch (c) {
    case '0': return '7';
    case '7': return '0';
    case '1': return 'c';
    case 'c': return '1';
    case '2': return 'e';
    case 'e': return '2';
    case '3': return '9';
    case '9': return '3';
    case '4': return 'b';
    case 'b': return '4';
    case '5': return 'f';
    case 'f': return '5';
    case '6': return 'a';
    case 'a': return '6';
    case '8': return 'd';
    case 'd': return '8';
    default: return c;
  }
}

}  // namespace

std::string DigitSwap(std::string_view text) {
  std::string out = ToLowerAscii(text);
  for (char& c : out) c = Partner(c);
  return out;
}

std::string TransformHardwareId(std::string_view id) {
  const size_t dev = id.find("DEV_");
  if (dev == std::string_view::npos) return std::string(id);
  const size_t cut = dev + 4;
  return std::string(id.substr(0, cut)) + ToUpperAscii(DigitSwap(id.substr(cut)));
}

std::string FileNameFromStored(std::string_view stored) {
  const size_t underscore = stored.find('_');
  const size_t cut = underscore == std::string_view::npos ? 0 : underscore + 1;
  std::string rest = DigitSwap(stored.substr(cut));
  rest = ReplaceAll(ReplaceAll(rest, ".4x4", ".exe"), ".4X4", ".EXE");
  return std::string(stored.substr(0, cut)) + rest;
}

std::string FileNameToStored(std::string_view name) {
  const size_t underscore = name.find('_');
  const size_t cut = underscore == std::string_view::npos ? 0 : underscore + 1;
  std::string rest = ReplaceAll(ToLowerAscii(name.substr(cut)), ".exe", ".4x4");
  return std::string(name.substr(0, cut)) + DigitSwap(rest);
}

}  // namespace tav
