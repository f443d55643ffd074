// Package paths, progress values and the transfer streams.
#include <gtest/gtest.h>

#include "net/package_path.h"
#include "net/transfer_progress_value.h"
#include "net/transfer_stream.h"
#include "platform/file_system.h"
#include "tests/support/temp_machine.h"

namespace tav {
namespace {

TEST(PackagePathTest, Table) {
  const std::pair<const char*, bool> rows[] = {
      {"/downloads/123_intel.zip?partner=A", true},
      {"/downloads/123_INTEL.ZIP", true},
      {"/databases/64/7/Drivers.7z?nocache=1", true},
      {"/downloads/setup.exe", true},
      {"/downloads/Setup.MSI", true},
      {"/rpc/getlastupdatecxw", false},
      {"/rpc/getdatabasecxw?arch=64&os=7", false},
      {"/downloads/readme.txt", false},
      {"/x.zipper", true},  // the marks are looked for anywhere in the text
  };
  for (const auto& [path, package] : rows)
    EXPECT_EQ(IsPackagePath(path), package) << path;
}

TEST(ProgressValueTest, LargeCountsAreHeld) {
  EXPECT_EQ(ProgressValue(0), 0);
  EXPECT_EQ(ProgressValue(-1), -1);
  EXPECT_EQ(ProgressValue(2147483647LL), 2147483647);
  EXPECT_EQ(ProgressValue(5000000000LL), 2147483647);
}

TEST(TransferStreamTest, MemoryStreamWritesAtThePosition) {
  MemoryStream stream;
  stream.Write("abcdef", 6);
  EXPECT_EQ(stream.Size(), 6);
  EXPECT_TRUE(stream.SetPosition(2));
  stream.Write("XY", 2);
  EXPECT_EQ(stream.data(), "abXYef");
  EXPECT_EQ(stream.Position(), 4);
  stream.Write("1234", 4);
  EXPECT_EQ(stream.data(), "abXY1234");
  EXPECT_FALSE(stream.SetPosition(9));
}

TEST(TransferStreamTest, FileStreamOpensWhatIsThereAndKeepsItsSize) {
  testing::TempMachine pc;
  const std::string path = pc.WriteFile("C:\\Temp\\a.bin.downloading", "12345");
  FileStream stream;
  ASSERT_TRUE(stream.Open(path, nullptr));
  EXPECT_EQ(stream.Size(), 5);
  EXPECT_EQ(stream.Position(), 0);
  EXPECT_TRUE(stream.SetPosition(5));
  stream.Write("678", 3);
  EXPECT_EQ(stream.Size(), 8);
  EXPECT_TRUE(stream.SetPosition(0));
  stream.Write("ab", 2);
  EXPECT_EQ(stream.Size(), 8);
  stream.Close();
  EXPECT_EQ(pc.ReadFile(path), "ab345678");
}

TEST(TransferStreamTest, FileStreamCreatesAMissingFile) {
  testing::TempMachine pc;
  pc.WriteFile("C:\\Temp\\other.bin", "");
  FileStream stream;
  ASSERT_TRUE(stream.Open("C:\\Temp\\new.bin", nullptr));
  EXPECT_EQ(stream.Size(), 0);
  stream.Close();
  EXPECT_TRUE(platform::FileExists("C:\\Temp\\new.bin"));
}

}  // namespace
}  // namespace tav
