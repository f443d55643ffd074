// A local time written the way the PC's locale writes it ("3/14/2026
// 9:05:00 PM"), in Windows' date and time pattern letters.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tav::vpc_tool {

// Pattern letters: d dd ddd dddd, M MM MMM MMMM, y yy yyyy, h hh H HH, m mm,
// s ss, t tt; text in single quotes is copied.
std::string FormatTime(std::string_view pattern, uint64_t local_file_time);
// The PC's short date and time formats, with a blank between.
std::string LocalDateTimeText(uint64_t local_file_time);

}  // namespace tav::vpc_tool
