#include "platform/linux/wildcard_match.h"

#include <string>

#include "platform/text.h"

namespace tav::platform::vpc {

namespace {

// Windows turns a pattern into the file system's DOS wildcards before
// matching: "*" before "." becomes DOS_STAR, "." before "*", "?" or the end
// becomes DOS_DOT, and "?" becomes DOS_QM.
constexpr char kDosStar = '<';
constexpr char kDosDot = '"';
constexpr char kDosQm = '>';

std::string ToDosPattern(std::string_view pattern) {
  std::string out(pattern);
  for (size_t i = 0; i < out.size(); ++i) {
    const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
    if (pattern[i] == '*' && next == '.') {
      out[i] = kDosStar;
    } else if (pattern[i] == '.' && (next == '*' || next == '?' || next == '\0')) {
      out[i] = kDosDot;
    } else if (pattern[i] == '?') {
      out[i] = kDosQm;
    }
  }
  return out;
}

bool Match(std::string_view p, std::string_view n) {
  if (p.empty())
    return n.empty();
  const std::string_view rest = p.substr(1);
  switch (p[0]) {
    case '*':
      for (size_t k = 0; k <= n.size(); ++k) {
        if (Match(rest, n.substr(k)))
          return true;
      }
      return false;
    case kDosStar: {
      // Any characters, but not past the last dot of the name.
      const size_t last_dot = n.rfind('.');
      const size_t limit = last_dot == std::string_view::npos ? n.size() : last_dot;
      for (size_t k = 0; k <= limit; ++k) {
        if (Match(rest, n.substr(k)))
          return true;
      }
      return false;
    }
    case kDosQm:
      // One character; at a dot or the end it matches nothing.
      if (n.empty() || n[0] == '.')
        return Match(rest, n);
      return Match(rest, n.substr(1));
    case kDosDot:
      // A dot, or nothing at the end of the name.
      if (n.empty())
        return Match(rest, n);
      return n[0] == '.' && Match(rest, n.substr(1));
    default:
      return !n.empty() && AsciiUpper(p[0]) == AsciiUpper(n[0]) && Match(rest, n.substr(1));
  }
}

}  // namespace

bool MatchesFilePattern(std::string_view pattern, std::string_view name) {
  // The folder entries are named literally.
  if (pattern == "." || pattern == "..")
    return name == pattern;
  return Match(ToDosPattern(pattern), name);
}

}  // namespace tav::platform::vpc
