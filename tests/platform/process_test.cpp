// Programs on the PC: a script placed on the PC is started, waited for, and
// read back through the process queries.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/process.h"
#include "platform/win_errors.h"
#include "tests/support/temp_machine.h"

namespace tav::platform {
namespace {

namespace err = win_error;

// Records its arguments and folders, waits for the test's go-ahead (at most
// twenty seconds) and ends with exit code 7.
constexpr const char* kProbe =
    "#!/bin/sh\n"
    "dir=$(dirname \"$0\")\n"
    "printf '%s\\n' \"$@\" > \"$dir/args.txt\"\n"
    "printf '%s\\n%s\\n' \"$(pwd)\" \"$TAVROLIN_CWD\" > \"$dir/cwd.txt\"\n"
    "i=0\n"
    "while [ ! -e \"$dir/go\" ] && [ $i -lt 400 ]; do sleep 0.05; i=$((i+1)); done\n"
    "exit 7\n";

class ProcessTest : public ::testing::Test {
 protected:
  testing::TempMachine pc_;
  void SetUp() override { Place("C:\\Tools\\probe.exe", kProbe, 0755); }
  void Place(const std::string& path, const std::string& content, mode_t mode) {
    pc_.WriteFile(path, content);
    chmod(pc_.Host(path).c_str(), mode);
  }
};

TEST_F(ProcessTest, AScriptOnThePcRunsAndIsSeenByTheProcessQueries) {
  const std::string line = "\"C:\\Tools\\probe.exe\" first \"second arg\" a\\\"b";
  Process p;
  int32_t error = 0;
  ASSERT_TRUE(p.Create("", line, "C:\\Windows", ShowWindow::kHidden, &error)) << error;
  ASSERT_TRUE(p.IsValid());
  const uint32_t pid = p.Id();
  EXPECT_TRUE(IsProcessRunning(pid));

  std::string image, command_line;
  ASSERT_TRUE(GetProcessImagePath(pid, &image));
  EXPECT_EQ(image, "C:\\Tools\\probe.exe");
  ASSERT_TRUE(GetProcessCommandLine(pid, &command_line));
  EXPECT_EQ(command_line, line);
  std::vector<ProcessEntry> snapshot;
  ASSERT_TRUE(GetProcessSnapshot(&snapshot));
  const auto entry = std::find_if(snapshot.begin(), snapshot.end(),
                                  [&](const ProcessEntry& e) { return e.id == pid; });
  ASSERT_NE(entry, snapshot.end());
  EXPECT_EQ(entry->exe_name, "probe.exe");
  EXPECT_EQ(entry->parent_id, GetCurrentProcessId());
  uint32_t code = 0;
  ASSERT_TRUE(p.GetExitCode(&code));
  EXPECT_EQ(code, Process::kStillActive);
  EXPECT_FALSE(p.Wait(0));

  pc_.WriteFile("C:\\Tools\\go", "");
  ASSERT_TRUE(p.Wait(30000));
  ASSERT_TRUE(p.GetExitCode(&code));
  EXPECT_EQ(code, 7u);
  EXPECT_FALSE(IsProcessRunning(pid));
  EXPECT_EQ(pc_.ReadFile("C:\\Tools\\args.txt"), "first\nsecond arg\na\"b\n");
  EXPECT_EQ(pc_.ReadFile("C:\\Tools\\cwd.txt"), pc_.Host("C:\\Windows") + "\nC:\\Windows\n");
}

TEST_F(ProcessTest, AProgramIsFoundWithoutItsExtensionAndInTheCurrentDirectory) {
  pc_.WriteFile("C:\\Tools\\go", "");
  ASSERT_TRUE(SetCurrentDirectory("C:\\Tools"));
  for (const char* line : {"C:\\Tools\\probe", "probe.exe x", "probe"}) {
    SCOPED_TRACE(line);
    Process p;
    int32_t error = 0;
    ASSERT_TRUE(p.Create("", line, "", ShowWindow::kHidden, &error)) << error;
    ASSERT_TRUE(p.Wait(30000));
    uint32_t code = 0;
    ASSERT_TRUE(p.GetExitCode(&code));
    EXPECT_EQ(code, 7u);
  }
  SetCurrentDirectory("C:\\");
}

TEST_F(ProcessTest, WhatCannotStartSaysWhy) {
  Place("C:\\Tools\\notes.exe", "just some text\n", 0755);
  Place("C:\\Tools\\locked.exe", "#!/bin/sh\nexit 0\n", 0644);
  struct Case {
    const char* application;
    const char* directory;
    int32_t error;
  } cases[] = {
      {"C:\\Tools\\missing.exe", "", err::kFileNotFound},
      {"C:\\Tools\\notes.exe", "", 193},  // not a valid program
      {"C:\\Tools\\locked.exe", "", err::kAccessDenied},
      {"C:\\Tools\\probe.exe", "C:\\No\\Such\\Folder", err::kDirectory},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.application);
    Process p;
    int32_t error = 0;
    EXPECT_FALSE(p.Create(c.application, "", c.directory, ShowWindow::kHidden, &error));
    EXPECT_EQ(error, c.error);
    EXPECT_FALSE(p.IsValid());
  }
}

TEST_F(ProcessTest, QueriesOfAProcessThatDoesNotRunFail) {
  Process p;
  ASSERT_TRUE(p.Create("C:\\Tools\\probe.exe", "", "", ShowWindow::kHidden));
  pc_.WriteFile("C:\\Tools\\go", "");
  ASSERT_TRUE(p.Wait(30000));
  std::string image;
  int32_t error = 0;
  EXPECT_FALSE(GetProcessImagePath(p.Id(), &image, &error));
  EXPECT_EQ(error, err::kInvalidParameter);
}

TEST_F(ProcessTest, TheRunningProgramKnowsItsOwnImage) {
  std::string image;
  ASSERT_TRUE(GetProcessImagePath(GetCurrentProcessId(), &image));
  EXPECT_EQ(image, "C:\\Program Files (x86)\\Tavrolin\\Tavrolin.exe");
}

}  // namespace
}  // namespace tav::platform
