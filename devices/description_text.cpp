#include "devices/description_text.h"

#include "core/text_utils.h"

namespace tav {

std::string CleanDescription(std::string_view text_view) {
  std::string text(text_view);
  if (const size_t semicolon = text.find(';'); semicolon != std::string::npos) {
    text.erase(0, semicolon + 1);
  }
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '\\':
      case '/':
      case '&':
      case '%':
      case '@': out += '_'; break;
      case '.':
      case ':':
      case ';':
      case '>':
      case '<':
      case '"':
      case '#':
      case '*': out += ' '; break;
      case '[':
      case ']':
      case '{':
      case '}': break;
      default: out += c;
    }
  }
  return Trim(out);
}

}  // namespace tav
