#include "tests/support/program_log.h"

#include <regex>

#include "core/log_engine.h"

namespace tav::testing {

namespace {

std::string WithoutTime(const std::string& line) {
  static const std::regex time(R"(^\d{1,2}:\d{2}:\d{2} (AM|PM) )");
  return std::regex_replace(line, time, "");
}

}  // namespace

std::vector<std::string> ProgramLogLines(const std::string& path) {
  XLog::Flush();
  std::vector<std::string> lines;
  for (const std::string& line : ReadLogFileLines(path)) {
    if (!line.empty())
      lines.push_back(WithoutTime(line));
  }
  return lines;
}

int CountLinesWith(const std::vector<std::string>& lines, std::string_view part) {
  int count = 0;
  for (const std::string& line : lines) {
    if (line.find(part) != std::string::npos)
      ++count;
  }
  return count;
}

std::string LogListing(const std::vector<std::string>& lines) {
  std::string text = "program.log:\n";
  for (const std::string& line : lines)
    text += "  " + line + "\n";
  return text;
}

}  // namespace tav::testing
