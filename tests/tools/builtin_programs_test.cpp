// The PC's own system programs (reg.exe, regedit.exe, schtasks.exe) started
// by a program on the PC, as the program starts them: their files say
// "#!tavrolin-vpc builtin NAME" and the tool carries them out.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>

#include "platform/linux/reg_file.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "tests/support/temp_machine.h"

namespace tav::testing {
namespace {

using platform::Process;
using platform::RegAccess;
using platform::RegistryKey;
using platform::RegRoot;
using platform::RegValue;
using platform::ShowWindow;
using ::testing::HasSubstr;

// Runs a program of the PC to its end; its exit code, or -1.
int RunOnPc(const std::string& program, const std::string& line, const std::string& folder = "") {
  Process p;
  int32_t error = 0;
  if (!p.Create(program, line, folder, ShowWindow::kHidden, &error)) {
    ADD_FAILURE() << "cannot start " << program << ": error " << error;
    return -1;
  }
  uint32_t code = 0;
  if (!p.Wait(60000) || !p.GetExitCode(&code))
    return -1;
  return static_cast<int>(code);
}

std::string StringValue(const std::string& path, const std::string& name) {
  RegistryKey key;
  RegValue value;
  if (key.Open(RegRoot::kCurrentUser, path, RegAccess::kRead) != 0 ||
      key.QueryValue(name, &value) != 0) {
    return "<missing>";
  }
  return value.AsString();
}

TEST(BuiltinRegTest, RegExeOnThePcChangesThePcsRegistry) {
  TempMachine pc;
  // The program is 32-bit: its System32 is SysWOW64, which has its own reg.exe.
  EXPECT_EQ(RunOnPc("C:\\Windows\\System32\\reg.exe",
                    "reg.exe add HKCU\\Software\\Tavrolin /v Version /d \"4.0 beta\" /f"),
            0);
  EXPECT_EQ(StringValue("Software\\Tavrolin", "Version"), "4.0 beta");
  EXPECT_EQ(RunOnPc("C:\\Windows\\Sysnative\\reg.exe",
                    "reg.exe add HKCU\\Software\\Tavrolin /v Native /d yes /f"),
            0);
  EXPECT_EQ(StringValue("Software\\Tavrolin", "Native"), "yes");
  EXPECT_EQ(RunOnPc("", "reg query HKCU\\Software\\Tavrolin /v Version"), 0);
  EXPECT_EQ(RunOnPc("", "reg query HKCU\\Software\\Nothing"), 1);
  EXPECT_EQ(RunOnPc("", "reg add HKCU\\Software\\Tavrolin /v D /t REG_DWORD /d nonsense /f"), 1);
}

TEST(BuiltinRegTest, ShellExecuteFindsRegOnTheSearchPath) {
  TempMachine pc;
  Process p;
  ASSERT_TRUE(platform::ShellExecute("open", "reg",
                                     "add HKCU\\Software\\Tavrolin /v Via /d shell /f", "",
                                     ShowWindow::kHidden, &p));
  ASSERT_TRUE(p.Wait(60000));
  uint32_t code = 1;
  ASSERT_TRUE(p.GetExitCode(&code));
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(StringValue("Software\\Tavrolin", "Via"), "shell");
}

TEST(BuiltinRegTest, RegExeTakesItsFilesOnThePc) {
  TempMachine pc;
  ASSERT_EQ(RunOnPc("", "reg add HKCU\\Software\\Tavrolin /v Keep /d me /f"), 0);
  ASSERT_EQ(RunOnPc("", "reg export HKCU\\Software\\Tavrolin backup.reg", "C:\\Users\\Alex"), 0);
  EXPECT_THAT(platform::vpc::DecodeRegFile(pc.ReadFile("C:\\Users\\Alex\\backup.reg")),
              HasSubstr("\"Keep\"=\"me\""));
  ASSERT_EQ(RunOnPc("", "reg delete HKCU\\Software\\Tavrolin /f"), 0);
  ASSERT_EQ(RunOnPc("", "reg import C:\\Users\\Alex\\backup.reg"), 0);
  EXPECT_EQ(StringValue("Software\\Tavrolin", "Keep"), "me");
}

TEST(BuiltinRegeditTest, SilentImportAndExportOfFilesOnThePc) {
  TempMachine pc;
  pc.WriteFile("C:\\Users\\Alex\\Downloads\\settings.reg",
               platform::vpc::EncodeRegFile("Windows Registry Editor Version 5.00\r\n\r\n"
                                            "[HKEY_CURRENT_USER\\Software\\Tavrolin]\r\n"
                                            "\"Language\"=\"English\"\r\n"));
  EXPECT_EQ(RunOnPc("C:\\Windows\\regedit.exe", "regedit.exe /s settings.reg",
                    "C:\\Users\\Alex\\Downloads"),
            0);
  EXPECT_EQ(StringValue("Software\\Tavrolin", "Language"), "English");

  EXPECT_EQ(RunOnPc("C:\\Windows\\regedit.exe",
                    "regedit.exe /e C:\\backup.reg HKEY_CURRENT_USER\\Software\\Tavrolin"),
            0);
  const std::string text = platform::vpc::DecodeRegFile(pc.ReadFile("C:\\backup.reg"));
  EXPECT_THAT(text,
              HasSubstr("[HKEY_CURRENT_USER\\Software\\Tavrolin]\r\n\"Language\"=\"English\""));
  EXPECT_EQ(RunOnPc("C:\\Windows\\regedit.exe", "regedit.exe /s C:\\missing.reg"), 1);
  EXPECT_EQ(RunOnPc("C:\\Windows\\regedit.exe", "regedit.exe /e C:\\x.reg HKEY_CURRENT_USER\\No"),
            1);
}

TEST(BuiltinRegeditTest, AnImportThatNoOneConfirmsDoesNothing) {
  TempMachine pc;
  pc.WriteFile("C:\\settings.reg",
               platform::vpc::EncodeRegFile("Windows Registry Editor Version 5.00\r\n\r\n"
                                            "[HKEY_CURRENT_USER\\Software\\Unconfirmed]\r\n"));
  EXPECT_EQ(RunOnPc("C:\\Windows\\regedit.exe", "regedit.exe C:\\settings.reg"), 0);
  RegistryKey key;
  EXPECT_NE(key.Open(RegRoot::kCurrentUser, "Software\\Unconfirmed", RegAccess::kRead), 0);
}

struct TaskRow {
  std::string name, command, schedule, start_time, run_level;
};

// Reads a task as the PC's machine database holds it.
bool ReadTask(const std::string& root, const std::string& name, TaskRow* row) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2((root + "/machine.db").c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != 0) {
    sqlite3_close(db);
    return false;
  }
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db,
                     "SELECT name, command, schedule, start_time, run_level FROM tasks "
                     "WHERE name = ?1",
                     -1, &stmt, nullptr);
  sqlite3_bind_text(stmt, 1, name.c_str(), -1, SQLITE_TRANSIENT);
  const bool found = sqlite3_step(stmt) == SQLITE_ROW;
  if (found) {
    auto text = [&](int i) {
      return std::string(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)));
    };
    *row = {text(0), text(1), text(2), text(3), text(4)};
  }
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return found;
}

TEST(BuiltinSchtasksTest, TasksMadeOnThePcAreKeptInTheMachineDatabase) {
  TempMachine pc;
  const std::string schtasks = "C:\\Windows\\System32\\schtasks.exe";
  ASSERT_EQ(
      RunOnPc(schtasks,
              "schtasks.exe /Create /TN \"\\Tavrolin\\Logon Check\" /TR "
              "\"\\\"C:\\Program Files (x86)\\Tavrolin\\Tavrolin.exe\\\" /logon\" /SC ONLOGON "
              "/RL HIGHEST /F"),
      0);
  TaskRow row;
  ASSERT_TRUE(ReadTask(pc.root(), "Tavrolin\\Logon Check", &row));
  EXPECT_EQ(row.command, "\"C:\\Program Files (x86)\\Tavrolin\\Tavrolin.exe\" /logon");
  EXPECT_EQ(row.schedule, "ONLOGON");
  EXPECT_EQ(row.start_time, "");
  EXPECT_EQ(row.run_level, "HIGHEST");

  EXPECT_EQ(RunOnPc(schtasks, "schtasks /Query /TN \"\\Tavrolin\\Logon Check\""), 0);
  EXPECT_EQ(RunOnPc(schtasks, "schtasks /Delete /TN \"\\Tavrolin\\Logon Check\" /F"), 0);
  EXPECT_FALSE(ReadTask(pc.root(), "Tavrolin\\Logon Check", &row));
  EXPECT_EQ(RunOnPc(schtasks, "schtasks /Query /TN \"\\Tavrolin\\Logon Check\""), 1);
}

}  // namespace
}  // namespace tav::testing
