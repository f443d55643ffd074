// The text of an INF file: UTF-16LE or UTF-8 when a byte-order mark says so,
// else the ANSI code page the INF was written in.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tav {

// The file's bytes as UTF-8 text. code_page 0 means the PC's ANSI code page;
// another number (1252, 1251, ...) names the code page of the INF's author.
std::string DecodeInfBytes(std::string_view bytes, uint32_t code_page = 0);

}  // namespace tav
