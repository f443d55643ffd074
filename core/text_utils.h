// Small text helpers with the framework's semantics that the work-file code
// relies on (trimming of blanks and control characters, replace-all,
// number parsing that never throws).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text.h"

namespace tav {

// Removes leading and trailing characters up to the blank (control characters
// included), as the framework's Trim does.
std::string Trim(std::string_view text);
// The same without a copy: a view into the text.
std::string_view TrimView(std::string_view text);
std::string TrimLeft(std::string_view text);
std::string TrimRight(std::string_view text);

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);
// Replace-all that ignores the letter case of what it looks for.
std::string ReplaceAllIgnoreCase(std::string_view text, std::string_view from, std::string_view to);
bool Contains(std::string_view text, std::string_view part);
bool StartsWith(std::string_view text, std::string_view prefix);
bool EndsWith(std::string_view text, std::string_view suffix);

// Splits at every occurrence of the separator (empty parts kept).
std::vector<std::string> Split(std::string_view text, char separator);
std::string Join(const std::vector<std::string>& parts, std::string_view separator);

// A whole decimal number (optional sign; "$" hexadecimal as the framework
// reads it); false for anything else, including blanks and overflow.
bool TryStrToInt(std::string_view text, int64_t* value);
int64_t StrToIntDef(std::string_view text, int64_t fallback);
std::string IntToHex(uint64_t value, int digits);  // upper-case

// "True"/"False", as the framework prints booleans.
inline const char* BoolToStr(bool value) {
  return value ? "True" : "False";
}

// File-name parts of a Windows path.
std::string ExtractFileName(std::string_view path);
std::string ExtractFilePath(std::string_view path);  // with its trailing "\"
std::string ExtractFileExt(std::string_view path);   // with its "."
std::string ChangeFileExt(std::string_view path, std::string_view ext);
std::string IncludeTrailingBackslash(std::string_view path);
std::string ExcludeTrailingBackslash(std::string_view path);

}  // namespace tav
