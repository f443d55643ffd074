// Windows paths on the virtual PC: normalisation, the current directory,
// letter case, the mapping to host folders and WOW64's view of System32.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "platform/file_system.h"
#include "platform/win_errors.h"
#include "platform/wow64.h"
#include "tests/platform/scoped_env.h"
#include "tests/support/temp_machine.h"

namespace tav::platform {
namespace {

class PathTest : public ::testing::Test {
 protected:
  testing::TempMachine pc_;
  void SetUp() override { ASSERT_TRUE(SetCurrentDirectory("C:\\Windows\\System32")); }
  void TearDown() override { SetCurrentDirectory("C:\\"); }
  std::string Drive(const std::string& rest) { return pc_.root() + "/drives/" + rest; }
};

struct FullPathCase {
  const char* input;
  const char* full;
};

TEST_F(PathTest, FullPathsAreNormalisedAsGetFullPathNameDoes) {
  const FullPathCase cases[] = {
      {"C:\\a\\..\\b", "C:\\b"},
      {"c:/Program Files/x", "C:\\Program Files\\x"},
      {"\\\\?\\C:\\x\\.\\y", "C:\\x\\y"},
      {"inf", "C:\\Windows\\System32\\inf"},
      {"..\\inf\\oem1.inf", "C:\\Windows\\inf\\oem1.inf"},
      {".\\drivers", "C:\\Windows\\System32\\drivers"},
      {"\\Temp", "C:\\Temp"},
      {"C:", "C:\\Windows\\System32"},
      {"C:drivers", "C:\\Windows\\System32\\drivers"},
      {"D:data", "D:\\data"},
      {"C:\\..\\..\\x", "C:\\x"},
      {"C:\\folder\\", "C:\\folder\\"},
      {"C:\\name. . ", "C:\\name"},
      {"C:\\a\\\\b", "C:\\a\\b"},
      {"\\\\server\\share\\x", ""},
  };
  for (const FullPathCase& c : cases) {
    EXPECT_EQ(GetFullPathName(c.input), c.full) << "input: " << c.input;
  }
}

TEST_F(PathTest, TheCurrentDirectoryIsKeptWithoutATrailingSeparator) {
  EXPECT_EQ(GetCurrentDirectory(), "C:\\Windows\\System32");
  ASSERT_TRUE(SetCurrentDirectory("c:\\windows\\inf\\"));
  EXPECT_EQ(GetCurrentDirectory(), "C:\\windows\\inf");
  ASSERT_TRUE(SetCurrentDirectory(".."));
  EXPECT_EQ(GetCurrentDirectory(), "C:\\windows");
  ASSERT_TRUE(SetCurrentDirectory("\\"));
  EXPECT_EQ(GetCurrentDirectory(), "C:\\");
  int32_t error = 0;
  EXPECT_FALSE(SetCurrentDirectory("C:\\No\\Such\\Folder", &error));
  EXPECT_EQ(error, win_error::kPathNotFound);
  EXPECT_EQ(GetCurrentDirectory(), "C:\\");
}

TEST_F(PathTest, ComponentsResolveWithoutRegardToCase) {
  pc_.WriteFile("C:\\Data\\Report.TXT", "x");
  EXPECT_EQ(NativePath("c:\\DATA\\report.txt"), Drive("C/Data/Report.TXT"));
  EXPECT_TRUE(FileExists("C:\\data\\REPORT.txt"));
  // Parts that do not exist yet keep the case they are written in.
  EXPECT_EQ(NativePath("C:\\data\\New Folder\\File.txt"), Drive("C/Data/New Folder/File.txt"));
  ASSERT_TRUE(SetCurrentDirectory("C:\\DATA"));
  EXPECT_TRUE(FileExists("report.txt"));
  EXPECT_TRUE(FileExists("..\\Data\\Report.txt"));
  // Latin-1 letters fold too; other letters and lengths do not match.
  pc_.WriteFile("C:\\Data\\Bericht \u00c4nderung.txt", "x");
  EXPECT_EQ(NativePath("C:\\data\\BERICHT \u00e4NDERUNG.TXT"),
            Drive("C/Data/Bericht \u00c4nderung.txt"));
  EXPECT_FALSE(FileExists("C:\\Data\\Bericht Anderung.txt"));
  EXPECT_FALSE(FileExists("C:\\Data\\Report.TXT2"));
}

TEST_F(PathTest, HostAndWindowsPathsMapBothWays) {
  EXPECT_EQ(NativePath("D:\\"), Drive("D"));
  EXPECT_EQ(NativePath("Q:\\x"), "");
  EXPECT_EQ(WindowsPathFromNative(Drive("C/Users/Alex")), "C:\\Users\\Alex");
  EXPECT_EQ(WindowsPathFromNative(Drive("C/Windows/../Users")), "C:\\Users");
  EXPECT_EQ(WindowsPathFromNative(Drive("C")), "C:\\");
  EXPECT_EQ(WindowsPathFromNative(Drive("Q/x")), "");
  EXPECT_EQ(WindowsPathFromNative(pc_.root() + "/machine.json"), "");
  EXPECT_EQ(WindowsPathFromNative("/etc/hosts"), "");
}

struct RedirectCase {
  const char* windows;
  const char* host;  // below the drives folder
};

// The program is a 32-bit program: on a 64-bit PC its System32 is SysWOW64,
// except for the folders WOW64 leaves alone, and Sysnative is System32.
TEST_F(PathTest, AThirtyTwoBitProgramSeesSysWow64ForSystem32) {
  const RedirectCase cases[] = {
      {"C:\\Windows\\System32\\reg.exe", "C/Windows/SysWOW64/reg.exe"},
      {"c:\\windows\\SYSTEM32", "C/Windows/SysWOW64"},
      {"C:\\Windows\\System32\\drivers\\tavrolin.sys", "C/Windows/SysWOW64/drivers/tavrolin.sys"},
      {"C:\\Windows\\System32\\drivers\\etc\\hosts", "C/Windows/System32/drivers/etc/hosts"},
      {"C:\\Windows\\System32\\catroot2\\x", "C/Windows/System32/catroot2/x"},
      {"C:\\Windows\\System32\\DriverStore\\FileRepository",
       "C/Windows/System32/DriverStore/FileRepository"},
      {"C:\\Windows\\System32\\spool\\drivers", "C/Windows/System32/spool/drivers"},
      {"C:\\Windows\\Sysnative\\reg.exe", "C/Windows/System32/reg.exe"},
      {"C:\\Windows\\System32Backup\\x", "C/Windows/System32Backup/x"},
      {"C:\\Windows\\SysWOW64\\reg.exe", "C/Windows/SysWOW64/reg.exe"},
      {"C:\\Windows\\inf", "C/Windows/inf"},
  };
  for (const RedirectCase& c : cases) {
    EXPECT_EQ(NativePath(c.windows), Drive(c.host)) << "path: " << c.windows;
  }
}

TEST_F(PathTest, RedirectionSwitchedOffHoldsForTheCallingThreadOnly) {
  const std::string system32 = Drive("C/Windows/System32/reg.exe");
  const std::string syswow64 = Drive("C/Windows/SysWOW64/reg.exe");
  void* outer = nullptr;
  ASSERT_TRUE(DisableWow64FsRedirection(&outer));
  EXPECT_EQ(NativePath("C:\\Windows\\System32\\reg.exe"), system32);
  std::string other_thread;
  std::thread([&] { other_thread = NativePath("C:\\Windows\\System32\\reg.exe"); }).join();
  EXPECT_EQ(other_thread, syswow64);

  // Switched off twice, the inner revert leaves it off.
  void* inner = nullptr;
  ASSERT_TRUE(DisableWow64FsRedirection(&inner));
  ASSERT_TRUE(RevertWow64FsRedirection(inner));
  EXPECT_EQ(NativePath("C:\\Windows\\System32\\reg.exe"), system32);
  ASSERT_TRUE(RevertWow64FsRedirection(outer));
  EXPECT_EQ(NativePath("C:\\Windows\\System32\\reg.exe"), syswow64);
}

TEST_F(PathTest, ANativeProgramSeesSystem32AsItIs) {
  testing::ScopedEnv native("TAVROLIN_NATIVE_PROCESS", "1");
  EXPECT_EQ(NativePath("C:\\Windows\\System32\\reg.exe"), Drive("C/Windows/System32/reg.exe"));
  // Sysnative exists only for 32-bit programs.
  EXPECT_EQ(NativePath("C:\\Windows\\Sysnative\\reg.exe"), Drive("C/Windows/Sysnative/reg.exe"));
}

TEST(PathWow64Test, AThirtyTwoBitWindowsHasNoRedirection) {
  testing::TempMachine pc({{"os", {{"64bit", false}}}});
  EXPECT_EQ(NativePath("C:\\Windows\\System32\\reg.exe"),
            pc.root() + "/drives/C/Windows/System32/reg.exe");
  EXPECT_FALSE(DirectoryExists("C:\\Windows\\SysWOW64"));
}

}  // namespace
}  // namespace tav::platform
