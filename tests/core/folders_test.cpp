#include "core/folders.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/log_engine.h"
#include "core/main_thread.h"
#include "platform/file_system.h"
#include "tests/support/temp_machine.h"

namespace tav {
namespace {

TEST(OsCodeTest, FromVersionTable) {
  struct Row {
    bool available;
    uint32_t major, minor, build;
    int code;
  };
  const Row rows[] = {
      {false, 6, 1, 7601, 5},  // no version information
      {true, 5, 1, 2600, 5},   // XP
      {true, 5, 2, 3790, 5},   // Server 2003
      {true, 6, 0, 6002, 6},   // Vista
      {true, 6, 1, 7599, 6},   // a 6.1 pre-release build
      {true, 6, 1, 7600, 7},   // Windows 7 RTM
      {true, 6, 1, 7601, 7},   // Windows 7 SP1
      {true, 6, 2, 9200, 8},   // Windows 8, and 8.1 without a compatibility manifest
      {true, 6, 3, 9600, 81},  // Windows 8.1 with the manifest
      {true, 6, 4, 9841, 10},  // Windows 10 previews
      {true, 10, 0, 10240, 10},
      {true, 10, 1, 0, 10},    // any other: the major version
      {true, 11, 0, 0, 11},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(OsCodeFromVersion(r.available, r.major, r.minor, r.build), r.code)
        << r.major << "." << r.minor << "." << r.build << " available=" << r.available;
  }
}

class FoldersTest : public ::testing::Test {
 protected:
  void SetUp() override { MainThread::Init(); }
  void TearDown() override { XLog::Stop(); }
};

TEST_F(FoldersTest, ResolvesThePcsFoldersAndCreatesTheWorkFolder) {
  testing::TempMachine pc;
  GetFolders() = Folders();
  ResolveFixedFolders();
  InitParams("Tavrolin", "", "", true);
  const Folders& f = GetFolders();
  EXPECT_EQ(f.program, "C:\\Program Files (x86)\\Tavrolin\\");
  EXPECT_EQ(f.windows, "C:\\Windows\\");
  EXPECT_EQ(f.system, "C:\\Windows\\system32\\");
  EXPECT_EQ(f.program_files, "C:\\Program Files (x86)\\");
  EXPECT_EQ(f.documents, "C:\\Users\\Alex\\Documents\\");
  EXPECT_EQ(f.work, "C:\\Users\\Alex\\AppData\\Roaming\\Tavrolin\\");
  EXPECT_TRUE(platform::DirectoryExists(f.work));
  EXPECT_EQ(f.default_backup, "C:\\Users\\Alex\\Documents\\Tavrolin\\Backup\\");
  EXPECT_EQ(f.download, "C:\\Users\\Alex\\Documents\\Tavrolin\\Drivers\\");
  EXPECT_EQ(f.core_work, f.work);
  EXPECT_EQ(f.core_drivers, f.download);
  EXPECT_EQ(f.windows_device, "\\Device\\HarddiskVolume2\\Windows\\");
  EXPECT_EQ(GetOsCode(), 7);
  EXPECT_TRUE(SendStatistics());
  EXPECT_EQ(WorkFileFormat().short_date_format, "mm-dd-yyyy");
}

TEST_F(FoldersTest, OverridesAndTheDevelopmentLayout) {
  testing::TempMachine pc;
  GetFolders() = Folders();
  ResolveFixedFolders();
  InitParams("Tavrolin", "D:\\Work\\", "D:\\Packages\\", false);
  EXPECT_EQ(GetFolders().core_work, "D:\\Work\\");
  EXPECT_EQ(GetFolders().core_drivers, "D:\\Packages\\");
  pc.WriteFile("C:\\Program Files (x86)\\Tavrolin\\Kelvorad.cpp", "int main() {}\n");
  InitParams("Tavrolin", "D:\\Work\\", "D:\\Packages\\", false);
  EXPECT_EQ(GetFolders().core_work, "C:\\Program Files (x86)\\Tavrolin\\Bases\\");
  EXPECT_EQ(GetFolders().core_drivers, "C:\\Program Files (x86)\\Tavrolin\\Drivers\\");
}

TEST_F(FoldersTest, WindowsXpFolders) {
  testing::TempMachine pc({{"os",
                            {{"major", 5},
                             {"minor", 1},
                             {"build", 2600},
                             {"64bit", false},
                             {"windows_dir", "C:\\WINDOWS"}}}});
  GetFolders() = Folders();
  ResolveFixedFolders();
  InitParams("Tavrolin", "", "", false);
  EXPECT_EQ(GetFolders().documents, "C:\\Documents and Settings\\Alex\\My Documents\\");
  EXPECT_EQ(GetFolders().work, "C:\\Documents and Settings\\Alex\\Application Data\\Tavrolin\\");
  EXPECT_EQ(GetFolders().program, "C:\\Program Files\\Tavrolin\\");
  EXPECT_EQ(GetOsCode(), 5);
}

TEST_F(FoldersTest, AMissingDeviceLeavesTheDeviceFormEmptyAndLogs) {
  testing::TempMachine pc({{"drives", {{{"letter", "C"}}}}});
  GetFolders() = Folders();
  ResolveFixedFolders();
  XLog::Init(GetFolders().work);
  InitParams("Tavrolin", "", "", false);
  EXPECT_EQ(GetFolders().windows_device, "");
  XLog::Flush();
  const auto lines = ReadLogFileLines(GetFolders().work + "program.log");
  EXPECT_THAT(lines, ::testing::Contains(::testing::HasSubstr(
                         "ERROR (): InitParams MESS: QueryDosDevice fail PARAMS: C:\\Windows\\ "
                         "LAST_ERR (2, 00000002)")));
}

}  // namespace
}  // namespace tav
