// A virtual PC set up as the program sees it at start: the main thread, the
// program's folders, and a running log whose lines the test can read back.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

#include "core/folders.h"
#include "core/log_engine.h"
#include "core/main_thread.h"
#include "tests/support/temp_machine.h"

namespace tav::testing {

class ProgramMachine {
 public:
  explicit ProgramMachine(const nlohmann::json& overrides = nlohmann::json::object())
      : pc_(overrides) {
    MainThread::Init();
    GetFolders() = Folders();
    InitParams("Tavrolin", "", "", false);
    ResolveFixedFolders();
    XLog::Init(GetFolders().work);
  }
  // ProgramMachine machine({{"os", {{"admin", false}}}});
  explicit ProgramMachine(nlohmann::json::initializer_list_t overrides)
      : ProgramMachine(nlohmann::json(overrides)) {}
  ~ProgramMachine() { XLog::Stop(); }
  ProgramMachine(const ProgramMachine&) = delete;
  ProgramMachine& operator=(const ProgramMachine&) = delete;

  const TempMachine& pc() const { return pc_; }

  // The lines logged since the log started, without their time of day.
  static std::vector<std::string> LogLines() {
    static const std::regex time(R"(^\d{1,2}:\d{2}:\d{2}( (AM|PM))? )");
    std::vector<std::string> lines;
    for (const std::string& line : XLog::GetNonTrackLogs()) {
      lines.push_back(std::regex_replace(line, time, ""));
    }
    return lines;
  }
  static size_t CountLines(std::string_view part) {
    const std::vector<std::string> lines = LogLines();
    return static_cast<size_t>(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) {
      return l.find(part) != std::string::npos;
    }));
  }
  static std::string AllLines() {
    std::string text;
    for (const std::string& line : LogLines())
      text += line + "\n";
    return text;
  }

 private:
  TempMachine pc_;
};

}  // namespace tav::testing
