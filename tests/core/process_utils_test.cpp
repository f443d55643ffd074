#include "core/process_utils.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "core/format_settings.h"
#include "platform/clock.h"
#include "platform/process.h"
#include "platform/shell_folders.h"
#include "platform/window_messages.h"
#include "tests/core/program_machine.h"

namespace tav {
namespace {

namespace fs = std::filesystem;

constexpr const char* kWaiter = "C:\\Tools\\waiter.exe";
constexpr const char* kWaiterCommandLine = "\"C:\\Tools\\waiter.exe\" --wait";
constexpr const char* kDashes = " ---------------------------------------";

// A program of the PC that waits until the test ends it.
class Waiter {
 public:
  explicit Waiter(const testing::TempMachine& pc) {
    pc.WriteFile(kWaiter, "#!/bin/sh\nexec sleep 60\n");
    fs::permissions(pc.Host(kWaiter), fs::perms::owner_all, fs::perm_options::add);
    started_ = process_.Create("", kWaiterCommandLine, "", platform::ShowWindow::kHidden);
    EXPECT_TRUE(started_);
  }
  ~Waiter() { End(); }
  uint32_t Id() const { return process_.Id(); }
  void End() {
    if (!started_)
      return;
    kill(static_cast<pid_t>(process_.Id()), SIGTERM);
    process_.Wait(0xFFFFFFFF);
    started_ = false;
  }

 private:
  platform::Process process_;
  bool started_ = false;
};

struct ListLine {
  std::string mark;
  std::string name;
  uint32_t id = 0;
  uint32_t parent = 0;
  int visible = -1;
  std::string start;
};

bool ParseLine(const std::string& line, ListLine* out) {
  static const std::regex format(
      R"(^([+-] )?(.+)   (\d+)   Parent=(\d+)   Visible=([01])   Start=(.+)$)");
  std::smatch m;
  if (!std::regex_match(line, m, format))
    return false;
  *out = {m[1],
          m[2],
          static_cast<uint32_t>(std::stoul(m[3])),
          static_cast<uint32_t>(std::stoul(m[4])),
          std::stoi(m[5]),
          m[6]};
  return true;
}

// The lines of one process in the list.
std::vector<ListLine> LinesOf(const std::vector<std::string>& list, uint32_t pid) {
  std::vector<ListLine> found;
  for (const std::string& line : list) {
    ListLine parsed;
    if (ParseLine(line, &parsed) && parsed.id == pid)
      found.push_back(parsed);
  }
  return found;
}

class ProcessUtilsTest : public ::testing::Test {
 protected:
  uint32_t Own() const { return platform::GetCurrentProcessId(); }
  std::string StartText(uint32_t pid) {
    return DateTimeToStr(XProcess::GetProcessStartTime(pid, true), UserFormatSettings());
  }

  testing::ProgramMachine machine_;
};

TEST_F(ProcessUtilsTest, ListStartsWithTheDatedHeaderAndHasALinePerProcess) {
  Waiter waiter(machine_.pc());
  std::vector<std::string> list = {"earlier line"};
  CreateProcessList(&list, 0);

  ASSERT_GE(list.size(), 4u);
  EXPECT_EQ(list[0], "earlier line");
  const std::string& header = list[1];
  ASSERT_TRUE(header.ends_with(kDashes)) << header;
  DateTime stamped = 0;
  ASSERT_TRUE(TryStrToDateTime(header.substr(0, header.size() - std::strlen(kDashes)),
                               UserFormatSettings(), &stamped))
      << header;
  EXPECT_NEAR(stamped, Now(), 60.0 / 86400);

  for (size_t i = 2; i < list.size(); ++i) {
    ListLine line;
    ASSERT_TRUE(ParseLine(list[i], &line)) << list[i];
    EXPECT_GT(line.id, 9u) << list[i];
    EXPECT_EQ(line.mark, "") << list[i];
  }
  const std::vector<ListLine> own = LinesOf(list, Own());
  ASSERT_EQ(own.size(), 1u);
  EXPECT_EQ(own[0].name, XProcess::GetCommandLine(Own()));
  EXPECT_EQ(own[0].parent, static_cast<uint32_t>(getppid()));
  EXPECT_EQ(own[0].start, StartText(Own()));

  const std::vector<ListLine> child = LinesOf(list, waiter.Id());
  ASSERT_EQ(child.size(), 1u);
  EXPECT_EQ(child[0].name, kWaiterCommandLine);
  EXPECT_EQ(child[0].parent, Own());
  EXPECT_EQ(child[0].visible, 0);
  EXPECT_EQ(child[0].start, StartText(waiter.Id()));
}

TEST_F(ProcessUtilsTest, SinceMarksTheProcessesStartedAfterIt) {
  const DateTime since = XProcess::GetProcessStartTime(Own(), true);
  ASSERT_GT(since, 0);
  platform::Sleep(50);  // the child's start must differ from ours in clock ticks
  Waiter waiter(machine_.pc());
  std::vector<std::string> list;
  CreateProcessList(&list, since);
  const std::vector<ListLine> own = LinesOf(list, Own());
  const std::vector<ListLine> child = LinesOf(list, waiter.Id());
  ASSERT_EQ(own.size(), 1u);
  ASSERT_EQ(child.size(), 1u);
  EXPECT_EQ(own[0].mark, "- ");
  EXPECT_EQ(child[0].mark, "+ ");
  EXPECT_EQ(child[0].name, kWaiterCommandLine);
}

TEST_F(ProcessUtilsTest, LinesAlreadyListedAreNotAddedAgain) {
  Waiter waiter(machine_.pc());
  std::vector<std::string> list;
  CreateProcessList(&list, 0);
  CreateProcessList(&list, 0);
  EXPECT_EQ(LinesOf(list, waiter.Id()).size(), 1u);
  EXPECT_EQ(LinesOf(list, Own()).size(), 1u);
}

TEST_F(ProcessUtilsTest, AProcessWithAWindowIsVisible) {
  Waiter waiter(machine_.pc());
  EXPECT_FALSE(XProcess::IsProcessWindowVisible(Own()));
  platform::MessageWindow window;
  ASSERT_TRUE(window.Create("TTavrolinTest", "Process list", [](uint32_t, uint64_t, int64_t) {}));
  EXPECT_TRUE(XProcess::IsProcessWindowVisible(Own()));
  EXPECT_FALSE(XProcess::IsProcessWindowVisible(waiter.Id()));
  std::vector<std::string> list;
  CreateProcessList(&list, 0);
  const std::vector<ListLine> own = LinesOf(list, Own());
  ASSERT_EQ(own.size(), 1u);
  EXPECT_EQ(own[0].visible, 1);
}

TEST_F(ProcessUtilsTest, PathOfAProcess) {
  Waiter waiter(machine_.pc());
  EXPECT_EQ(GetPathFromPID(0), "");
  EXPECT_EQ(GetPathFromPID(waiter.Id()), kWaiter);
  EXPECT_EQ(GetPathFromPID(Own()), platform::GetModuleFileName());
  const uint32_t ended = waiter.Id();
  waiter.End();
  EXPECT_EQ(GetPathFromPID(ended), "");
  EXPECT_EQ(testing::ProgramMachine::CountLines(
                "ERROR (): GetPathFromPID MESS: OpenProcess fail PARAMS: " + std::to_string(ended) +
                " LAST_ERR (87"),
            1u)
      << testing::ProgramMachine::AllLines();
}

TEST_F(ProcessUtilsTest, CommandLineOfAProcess) {
  Waiter waiter(machine_.pc());
  EXPECT_EQ(XProcess::GetCommandLine(waiter.Id()), kWaiterCommandLine);
  EXPECT_EQ(XProcess::GetCommandLine(4), "");
  EXPECT_EQ(XProcess::GetCommandLine(8), "");
  const uint32_t ended = waiter.Id();
  waiter.End();
  EXPECT_EQ(XProcess::GetCommandLine(ended), "");
}

TEST_F(ProcessUtilsTest, StartTimeOfAProcess) {
  const DateTime before = Now();
  Waiter waiter(machine_.pc());
  const DateTime after = Now();
  const DateTime start = XProcess::GetProcessStartTime(waiter.Id(), true);
  // The host counts process starts from a boot time in whole seconds.
  EXPECT_GE(start, before - 2.0 / 86400);
  EXPECT_LE(start, after + 2.0 / 86400);

  const uint32_t ended = waiter.Id();
  waiter.End();
  const std::string line =
      "ERROR (): XProcess.GetProcessStartTime MESS: OpenProcess fail PARAMS: " +
      std::to_string(ended);
  EXPECT_EQ(XProcess::GetProcessStartTime(ended, false), 0);
  EXPECT_EQ(testing::ProgramMachine::CountLines(line), 0u);
  EXPECT_EQ(XProcess::GetProcessStartTime(ended, true), 0);
  EXPECT_EQ(testing::ProgramMachine::CountLines(line), 1u);
}

TEST_F(ProcessUtilsTest, ThisProgramRunsUnderWow64OnTheDefaultPc) {
  EXPECT_TRUE(XProcess::IsWow64());
}

TEST_F(ProcessUtilsTest, BootTimeIsNowMinusTheUptime) {
  // The default PC booted 5400 s before it was created.
  EXPECT_NEAR(XProcess::GetBootTime(), Now() - 5400.0 / 86400, 60.0 / 86400);
}

TEST(ProcessWow64Test, NativeProcessesByMachine) {
  struct Row {
    const char* description;
    nlohmann::json profile;
    bool own;
    bool other;
  };
  const Row rows[] = {
      {"64-bit Windows", nlohmann::json::object(), false, true},
      {"32-bit Windows", {{"os", {{"64bit", false}}}}, true, false},
      {"no IsWow64Process", {{"os", {{"has_wow64_call", false}}}}, false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.description);
    testing::ProgramMachine machine(row.profile);
    Waiter waiter(machine.pc());
    EXPECT_EQ(XProcess::IsWow64Process(platform::GetCurrentProcessId()), row.own);
    EXPECT_EQ(XProcess::IsWow64Process(waiter.Id()), row.other);
  }
}

TEST(ProcessWow64Test, AProcessThatDoesNotRunIsNotNative) {
  testing::ProgramMachine machine;
  Waiter waiter(machine.pc());
  const uint32_t ended = waiter.Id();
  waiter.End();
  EXPECT_FALSE(XProcess::IsWow64Process(ended));
  EXPECT_EQ(testing::ProgramMachine::CountLines(
                "ERROR (): XProcess.IsWow64Process MESS: IsWow64Process fail PARAMS: " +
                std::to_string(ended)),
            1u);
}

}  // namespace
}  // namespace tav
