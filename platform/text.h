// Text encoding and letter case, shared by every layer. Text is UTF-8 in
// std::string throughout the program; Windows' wide strings are UTF-16.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);
// UTF-16LE bytes, without and with a terminating NUL character.
std::vector<uint8_t> Utf8ToUtf16leBytes(std::string_view utf8, bool with_nul);
std::string Utf16leBytesToUtf8(const uint8_t* data, size_t size);  // stops at a NUL

// No byte above 0x7F: the same text in UTF-8 and in every ANSI code page.
bool IsAscii(std::string_view text);

// Letter case of ASCII letters; other characters stay as they are.
char AsciiUpper(char c);
char AsciiLower(char c);
std::string ToUpperAscii(std::string_view text);
std::string ToLowerAscii(std::string_view text);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix);

// Windows compares names (registry, files, windows) by upper-casing both;
// this is that folded form: ASCII and the Latin-1 letters upper-cased.
std::string FoldCase(std::string_view text);
// FoldCase(a) == FoldCase(b), without building the folded texts for ASCII
// names (directory walks compare many).
bool EqualsFolded(std::string_view a, std::string_view b);

}  // namespace tav
