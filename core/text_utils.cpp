#include "core/text_utils.h"

#include <cstdio>

namespace tav {

namespace {
bool IsTrimmed(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}
}  // namespace

std::string Trim(std::string_view text) {
  return std::string(TrimView(text));
}

std::string_view TrimView(std::string_view text) {
  size_t i = 0, n = text.size();
  while (n > 0 && IsTrimmed(text[n - 1]))
    --n;
  while (i < n && IsTrimmed(text[i]))
    ++i;
  return text.substr(i, n - i);
}

std::string TrimLeft(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsTrimmed(text[i]))
    ++i;
  return std::string(text.substr(i));
}

std::string TrimRight(std::string_view text) {
  size_t n = text.size();
  while (n > 0 && IsTrimmed(text[n - 1]))
    --n;
  return std::string(text.substr(0, n));
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
  if (from.empty())
    return std::string(text);
  std::string out;
  size_t start = 0;
  for (;;) {
    const size_t hit = text.find(from, start);
    if (hit == std::string_view::npos)
      break;
    out.append(text.substr(start, hit - start));
    out.append(to);
    start = hit + from.size();
  }
  out.append(text.substr(start));
  return out;
}

std::string ReplaceAllIgnoreCase(std::string_view text,
                                 std::string_view from,
                                 std::string_view to) {
  if (from.empty())
    return std::string(text);
  const std::string upper_text = ToUpperAscii(text);
  const std::string upper_from = ToUpperAscii(from);
  std::string out;
  size_t start = 0;
  for (;;) {
    const size_t hit = upper_text.find(upper_from, start);
    if (hit == std::string::npos)
      break;
    out.append(text.substr(start, hit - start));
    out.append(to);
    start = hit + from.size();
  }
  out.append(text.substr(start));
  return out;
}

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

std::vector<std::string> Split(std::string_view text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t hit = text.find(separator, start);
    if (hit == std::string_view::npos) {
      parts.emplace_back(text.substr(start));
      return parts;
    }
    parts.emplace_back(text.substr(start, hit - start));
    start = hit + 1;
  }
}

std::string Join(const std::vector<std::string>& parts, std::string_view separator) {
  std::string out;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0)
      out.append(separator);
    out.append(parts[i]);
  }
  return out;
}

bool TryStrToInt(std::string_view text, int64_t* value) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+'))
    negative = text[i++] == '-';
  if (i >= text.size())
    return false;
  uint64_t v = 0;
  if (text[i] == '$' || (text[i] == '0' && i + 1 < text.size() && AsciiLower(text[i + 1]) == 'x')) {
    i += text[i] == '$' ? 1 : 2;
    if (i >= text.size())
      return false;
    for (; i < text.size(); ++i) {
      const char c = AsciiLower(text[i]);
      const int d = (c >= '0' && c <= '9') ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1;
      if (d < 0 || v > (UINT64_MAX >> 4))
        return false;
      v = v * 16 + static_cast<uint64_t>(d);
    }
    *value = negative ? -static_cast<int64_t>(v) : static_cast<int64_t>(v);
    return true;
  }
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9')
      return false;
    v = v * 10 + static_cast<uint64_t>(text[i] - '0');
    if (v > static_cast<uint64_t>(INT64_MAX) + (negative ? 1u : 0u))
      return false;
  }
  *value = negative ? static_cast<int64_t>(0 - v) : static_cast<int64_t>(v);
  return true;
}

int64_t StrToIntDef(std::string_view text, int64_t fallback) {
  int64_t v = 0;
  return TryStrToInt(text, &v) ? v : fallback;
}

std::string IntToHex(uint64_t value, int digits) {
  char text[32];
  std::snprintf(text, sizeof text, "%0*llX", digits, static_cast<unsigned long long>(value));
  return text;
}

std::string ExtractFileName(std::string_view path) {
  const size_t sep = path.find_last_of("\\:/");
  return std::string(sep == std::string_view::npos ? path : path.substr(sep + 1));
}

std::string ExtractFilePath(std::string_view path) {
  const size_t sep = path.find_last_of("\\:/");
  return sep == std::string_view::npos ? std::string() : std::string(path.substr(0, sep + 1));
}

std::string ExtractFileExt(std::string_view path) {
  const size_t dot = path.rfind('.');
  const size_t sep = path.find_last_of("\\:/");
  if (dot == std::string_view::npos || (sep != std::string_view::npos && dot < sep))
    return {};
  return std::string(path.substr(dot));
}

std::string ChangeFileExt(std::string_view path, std::string_view ext) {
  const std::string old_ext = ExtractFileExt(path);
  return std::string(path.substr(0, path.size() - old_ext.size())) + std::string(ext);
}

std::string IncludeTrailingBackslash(std::string_view path) {
  std::string out(path);
  if (out.empty() || out.back() != '\\')
    out += '\\';
  return out;
}

std::string ExcludeTrailingBackslash(std::string_view path) {
  std::string out(path);
  if (!out.empty() && out.back() == '\\')
    out.pop_back();
  return out;
}

}  // namespace tav
