// The program's start-up modes, run as the real program on a virtual PC.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "core/inter_process_names.h"
#include "core/log_engine.h"
#include "core/settings.h"
#include "core/settings_access.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/message_loop.h"
#include "platform/named_mutex.h"
#include "platform/process.h"
#include "platform/window_messages.h"
#include "tests/support/temp_machine.h"

namespace tav {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;

constexpr const char* kProgram = "C:\\Program Files (x86)\\Tavrolin\\Tavrolin.exe";
constexpr const char* kWork = "C:\\Users\\Alex\\AppData\\Roaming\\Tavrolin\\";
constexpr const char* kLog = "C:\\Users\\Alex\\AppData\\Roaming\\Tavrolin\\program.log";

// Starts the program on the PC with a command-line tail; the process object
// lets the caller wait.
platform::Process Start(const std::string& arguments) {
  platform::Process process;
  int32_t error = 0;
  EXPECT_TRUE(process.Create(kProgram, std::string("\"") + kProgram + "\" " + arguments, "",
                             platform::ShowWindow::kNormal, &error))
      << "error " << error;
  return process;
}

uint32_t RunProgram(const std::string& arguments) {
  platform::Process process = Start(arguments);
  EXPECT_TRUE(process.Wait(60000)) << "the program did not end";
  uint32_t code = 99;
  process.GetExitCode(&code);
  return code;
}

int CountContaining(const std::vector<std::string>& lines, const std::string& text) {
  int n = 0;
  for (const std::string& line : lines) n += line.find(text) != std::string::npos ? 1 : 0;
  return n;
}

bool WaitFor(const std::function<bool()>& condition, int ms = 15000) {
  for (int waited = 0; waited < ms; waited += 50) {
    if (condition()) return true;
    platform::Sleep(50);
  }
  return condition();
}

TEST(CheckInstallModeTest, WritesTheStartAndStopLinesAndAppends) {
  testing::TempMachine pc;
  ASSERT_EQ(RunProgram("/CHECKINSTALL"), 0u);
  const std::string bytes = pc.ReadFile(kLog);
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
  std::vector<std::string> lines = ReadLogFileLines(kLog);
  EXPECT_EQ(CountContaining(lines, "-----PROGRAM STARTED 12-10-2015 16-59 7_True -----"), 1);
  EXPECT_EQ(CountContaining(lines, "-----PROGRAM STOPPED 12-10-2015 16-59 7_True -----"), 1);
  ASSERT_EQ(RunProgram("/CHECKINSTALL"), 0u);
  lines = ReadLogFileLines(kLog);
  EXPECT_EQ(CountContaining(lines, "-----PROGRAM STARTED 12-10-2015 16-59 7_True -----"), 2);
  EXPECT_EQ(CountContaining(lines, "-----PROGRAM STOPPED"), 2);
}

TEST(CheckInstallModeTest, MissingCompanionFilesAreLoggedOnly) {
  testing::TempMachine pc;
  platform::DeleteFile("C:\\Program Files (x86)\\Tavrolin\\stub64.exe");
  platform::DeleteFile("C:\\Program Files (x86)\\Tavrolin\\7z.dll");
  ASSERT_EQ(RunProgram("/CHECKINSTALL"), 0u);
  const std::vector<std::string> lines = ReadLogFileLines(kLog);
  EXPECT_THAT(lines, Contains(HasSubstr("ERROR (): Driver.CoreInit MESS: stub64.exe was not found")));
  EXPECT_THAT(lines, Contains(HasSubstr("ERROR (): Driver.CoreInit MESS: 7z.dll was not found")));
  EXPECT_EQ(CountContaining(lines, "-----PROGRAM STOPPED"), 1);
}

TEST(CheckInstallModeTest, ThirtyTwoBitXpLine) {
  testing::TempMachine pc({{"os",
                            {{"major", 5},
                             {"minor", 1},
                             {"build", 2600},
                             {"service_pack", 3},
                             {"64bit", false},
                             {"windows_dir", "C:\\WINDOWS"}}}});
  platform::Process process;
  ASSERT_TRUE(process.Create("C:\\Program Files\\Tavrolin\\Tavrolin.exe",
                             "Tavrolin.exe /CHECKINSTALL", "", platform::ShowWindow::kNormal));
  ASSERT_TRUE(process.Wait(60000));
  const auto lines =
      ReadLogFileLines("C:\\Documents and Settings\\Alex\\Application Data\\Tavrolin\\program.log");
  EXPECT_EQ(CountContaining(lines, "-----PROGRAM STARTED 12-10-2015 16-59 5_False -----"), 1);
}

class InstallModeTest : public ::testing::TestWithParam<std::pair<std::string, bool>> {};

TEST_P(InstallModeTest, RepairsOnlyAShortShortcut) {
  testing::TempMachine pc;
  const std::string url = "C:\\Program Files (x86)\\Tavrolin\\HomePage.url";
  pc.WriteFile(url, GetParam().first);
  ASSERT_EQ(RunProgram("/INSTALL"), 0u);
  const std::string expected =
      GetParam().second ? GetParam().first + "IconIndex=0\r\nIconFile=" + kProgram + "\r\n"
                        : GetParam().first;
  EXPECT_EQ(pc.ReadFile(url), expected);
  EXPECT_FALSE(platform::FileExists(kLog)) << "this mode does not start the log";
}

INSTANTIATE_TEST_SUITE_P(
    Shortcuts, InstallModeTest,
    ::testing::Values(
        std::make_pair(std::string("[InternetShortcut]\r\nURL=http://www.tavrolin.com/\r\n"), true),
        std::make_pair(std::string("[InternetShortcut]\r\n"), true),
        std::make_pair(std::string("[InternetShortcut]\r\nURL=x\r\nIconIndex=0\r\n"), false)));

TEST(UninstallModeTest, RemovesTheSettingsKeyTheWorkFolderAndTheRunValue) {
  testing::TempMachine pc;
  ASSERT_EQ(RunProgram("/CHECKINSTALL"), 0u);
  RegWriteInteger(kSettingsRoot, kSettingsKey, "AppStart", 3);
  RegWriteString(platform::RegRoot::kCurrentUser, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
                 "Tavrolin", "x");
  RegWriteString(platform::RegRoot::kCurrentUser, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
                 "Other", "y");
  const std::string documents_download = "C:\\Users\\Alex\\Documents\\Tavrolin\\Drivers\\";
  pc.WriteFile(documents_download + "1_pkg.zip", "zip");
  ASSERT_TRUE(platform::DirectoryExists(kWork));
  ASSERT_EQ(RunProgram("/uninstall"), 0u);
  EXPECT_FALSE(RegKeyExists(kSettingsRoot, kSettingsKey));
  EXPECT_FALSE(platform::DirectoryExists(kWork));
  EXPECT_FALSE(RegValueExists(platform::RegRoot::kCurrentUser,
                              "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "Tavrolin"));
  EXPECT_TRUE(RegValueExists(platform::RegRoot::kCurrentUser,
                             "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "Other"));
  EXPECT_TRUE(platform::FileExists(documents_download + "1_pkg.zip")) << "downloads stay";
}

TEST(UninstallModeTest, WithoutASettingsKeyNothingHappens) {
  testing::TempMachine pc;
  pc.WriteFile(std::string(kWork) + "keep.txt", "x");
  ASSERT_EQ(RunProgram("/uninstall"), 0u);
  EXPECT_TRUE(platform::FileExists(std::string(kWork) + "keep.txt"));
}

TEST(UninstallModeTest, BackupFolderRules) {
  struct Row {
    std::string backup_path;
    std::string file;  // relative to the backup folder; empty for none
    bool removed;
  };
  const std::string ours = "C:\\Users\\Alex\\Documents\\Tavrolin\\Backup\\";
  const Row rows[] = {
      // An empty backup folder of the product goes silently.
      {ours, "", true},
      // Backups (their catalogue lies directly in the folder) and nobody to say yes: they stay.
      {ours, "Backups.ini", false},
      {ours, "Drivers\\Log.txt", false},
      // Only files deeper down: the folder counts as empty and goes.
      {ours, "Drivers\\net\\e1c62x64.sys", true},
      // A folder not named after the product is never touched.
      {"C:\\MyBackups\\", "", false},
  };
  for (const Row& row : rows) {
    testing::TempMachine pc;
    RegWriteInteger(kSettingsRoot, kSettingsKey, "AppStart", 1);
    RegWriteString(kSettingsRoot, kSettingsKey, "BackupPath", row.backup_path);
    platform::CreateDirectory("C:\\MyBackups");
    platform::CreateDirectory("C:\\Users\\Alex\\Documents\\Tavrolin");
    platform::CreateDirectory(row.backup_path);
    if (!row.file.empty()) pc.WriteFile(row.backup_path + row.file, "x");
    ASSERT_EQ(RunProgram("/uninstall"), 0u);
    EXPECT_EQ(!platform::DirectoryExists(row.backup_path), row.removed)
        << row.backup_path << " with " << row.file;
  }
}

TEST(UninstallModeTest, ARunningCleanUpIsNotRepeated) {
  testing::TempMachine pc;
  RegWriteInteger(kSettingsRoot, kSettingsKey, "AppStart", 1);
  platform::NamedMutex other;
  ASSERT_TRUE(other.Create(kUninstallMutex));
  ASSERT_EQ(RunProgram("/uninstall"), 0u);
  EXPECT_TRUE(RegKeyExists(kSettingsRoot, kSettingsKey));
}

// A stand-in for a running instance's main window, collecting its messages.
struct FakeMainWindow {
  platform::NamedMutex mutex;
  platform::MessageWindow window;
  std::vector<std::pair<uint32_t, uint64_t>> received;

  explicit FakeMainWindow(bool with_window) {
    mutex.Create(kInstanceMutex);
    if (with_window) {
      window.Create("TForm1a", kMainWindowTitle,
                    [this](uint32_t m, uint64_t w, int64_t) { received.emplace_back(m, w); });
    }
  }
  void Pump(int ms) {
    for (int t = 0; t < ms; t += 20) platform::PumpMessages(20);
  }
};

TEST(WindowedModeTest, ASecondStartOnlyWakesTheRunningInstance) {
  struct Row {
    std::string arguments;
    bool expect_start;
  };
  const Row rows[] = {{"", false}, {"/START", true}, {"\"  /start \"", true}, {"/SCAN", false}};
  for (const Row& row : rows) {
    testing::TempMachine pc;
    FakeMainWindow running(true);
    ASSERT_EQ(RunProgram(row.arguments), 0u) << row.arguments;
    running.Pump(300);
    const uint32_t restore = platform::RegisterWindowMessage("TavRestore");
    const uint32_t start = platform::RegisterWindowMessage("TavStart");
    std::vector<std::pair<uint32_t, uint64_t>> expected = {{restore, 1026}};
    if (row.expect_start) expected.emplace_back(start, 1030);
    EXPECT_EQ(running.received, expected) << "arguments: " << row.arguments;
    EXPECT_FALSE(platform::FileExists(kLog)) << "no second core start";
  }
}

TEST(WindowedModeTest, ASecondStartWithoutAWindowPostsNothing) {
  testing::TempMachine pc;
  FakeMainWindow running(false);
  ASSERT_EQ(RunProgram("/START"), 0u);
}

TEST(WindowedModeTest, RunsUntilTheUninstallerClosesIt) {
  testing::TempMachine pc;
  // Lower-case "/install" is no install mode: it starts the application.
  platform::Process app = Start("/install");
  ASSERT_TRUE(WaitFor([] { return platform::FindWindow("", "Tavrolin") != 0; }))
      << "the main window did not appear";
  EXPECT_TRUE(platform::NamedMutex::Exists("Tavrolin"));
  EXPECT_EQ(RegReadInteger(kSettingsRoot, kSettingsKey, "AppStart"), 1) << "first run defaults";
  ASSERT_EQ(RunProgram("/uninstall"), 0u);
  ASSERT_TRUE(app.Wait(15000)) << "the application did not close";
  EXPECT_FALSE(RegKeyExists(kSettingsRoot, kSettingsKey));
  EXPECT_FALSE(platform::NamedMutex::Exists("Tavrolin"));
}

TEST(WindowedModeTest, TheModeArgumentIsCaseSensitive) {
  testing::TempMachine pc;
  RegWriteInteger(kSettingsRoot, kSettingsKey, "AppStart", 1);
  // "/Uninstall" is not the uninstall mode: with an instance running it only
  // wakes that instance; the settings stay.
  FakeMainWindow running(true);
  ASSERT_EQ(RunProgram("/Uninstall"), 0u);
  running.Pump(300);
  EXPECT_TRUE(RegKeyExists(kSettingsRoot, kSettingsKey));
  ASSERT_EQ(running.received.size(), 1u);
  EXPECT_EQ(running.received[0].second, 1026u);
}

}  // namespace
}  // namespace tav
