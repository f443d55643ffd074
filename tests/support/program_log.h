// The program's log as tests read it: the lines of "program.log" after a
// flush, without their times, and a listing for failure messages.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tav::testing {

// Flushes the log engine first; empty lines are left out.
std::vector<std::string> ProgramLogLines(const std::string& path);
// How many lines hold the text.
int CountLinesWith(const std::vector<std::string>& lines, std::string_view part);
// "program.log:" and the lines, indented, for a failure message.
std::string LogListing(const std::vector<std::string>& lines);

}  // namespace tav::testing
