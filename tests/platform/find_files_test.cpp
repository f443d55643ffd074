// FindFirstFile/FindNextFile over the virtual PC's folders: the patterns
// the program uses, with the dot rules of Windows.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/win_errors.h"
#include "tests/support/temp_machine.h"

namespace tav::platform {
namespace {

using ::testing::Contains;
using ::testing::Not;

class FindFilesTest : public ::testing::Test {
 protected:
  testing::TempMachine pc_;
  void SetUp() override {
    for (const char* name : {"Video.DUL", "audio.dul", "net.dulx", "README", "a.b.dul", "setup.inf",
                             "Sub\\inner.dul"}) {
      pc_.WriteFile(std::string("C:\\Drivers\\") + name, "12345");
    }
  }
  void TearDown() override { SetCurrentDirectory("C:\\"); }

  std::vector<std::string> Names(const std::string& pattern) {
    std::vector<FindData> found;
    int32_t error = 0;
    EXPECT_TRUE(FindFiles(pattern, &found, &error)) << pattern << ": error " << error;
    std::vector<std::string> names;
    for (const FindData& f : found)
      names.push_back(f.name);
    return names;
  }
};

struct PatternCase {
  const char* pattern;
  std::vector<std::string> names;  // in the order listed
};

TEST_F(FindFilesTest, PatternsMatchAsOnWindows) {
  const std::vector<std::string> all = {".",      "..",        "a.b.dul", "audio.dul", "net.dulx",
                                        "README", "setup.inf", "Sub",     "Video.DUL"};
  const PatternCase cases[] = {
      {"C:\\Drivers\\*.*", all},
      {"C:\\Drivers\\*", all},
      {"C:\\Drivers\\*.dul", {"a.b.dul", "audio.dul", "Video.DUL"}},
      {"C:\\drivers\\*.DUL", {"a.b.dul", "audio.dul", "Video.DUL"}},
      {"C:\\Drivers\\*.", {".", "..", "README", "Sub"}},
      {"C:\\Drivers\\.", {"."}},
      {"C:\\Drivers\\..", {".."}},
      {"C:\\Drivers\\vid*", {"Video.DUL"}},
      {"C:\\Drivers\\?????.dul", {"audio.dul", "Video.DUL"}},
      {"C:\\Drivers\\setup.inf", {"setup.inf"}},
      {"C:\\Drivers\\readme.*", {"README"}},
      {"C:/Drivers/Sub/*.dul", {"inner.dul"}},
      {"C:\\Drivers\\nothing*", {}},
  };
  for (const PatternCase& c : cases) {
    EXPECT_EQ(Names(c.pattern), c.names) << "pattern: " << c.pattern;
  }
}

TEST_F(FindFilesTest, TheRootOfADriveHasNoDotEntries) {
  const std::vector<std::string> names = Names("C:\\*");
  EXPECT_THAT(names, Contains("Windows"));
  EXPECT_THAT(names, Contains("Drivers"));
  EXPECT_THAT(names, Not(Contains(".")));
  EXPECT_THAT(names, Not(Contains("..")));
}

TEST_F(FindFilesTest, RelativePatternsUseTheCurrentDirectory) {
  ASSERT_TRUE(SetCurrentDirectory("C:\\Drivers\\Sub"));
  EXPECT_EQ(Names("..\\*.inf"), std::vector<std::string>{"setup.inf"});
  EXPECT_EQ(Names("*.dul"), std::vector<std::string>{"inner.dul"});
}

TEST_F(FindFilesTest, EntriesCarrySizeAndAttributes) {
  ASSERT_TRUE(SetFileAttributes("C:\\Drivers\\setup.inf", file_attr::kReadOnly));
  std::vector<FindData> found;
  ASSERT_TRUE(FindFiles("C:\\Drivers\\s*", &found));
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].name, "setup.inf");
  EXPECT_EQ(found[0].size, 5u);
  EXPECT_NE(found[0].attributes & file_attr::kReadOnly, 0u);
  EXPECT_EQ(found[0].attributes & file_attr::kDirectory, 0u);
  EXPECT_EQ(found[1].name, "Sub");
  EXPECT_NE(found[1].attributes & file_attr::kDirectory, 0u);
  EXPECT_GT(found[0].last_write_time, 116444736000000000ull);
}

TEST_F(FindFilesTest, AMissingFolderFailsAndNoMatchIsAnEmptySuccess) {
  std::vector<FindData> found;
  int32_t error = 0;
  EXPECT_FALSE(FindFiles("C:\\NoSuchFolder\\*.*", &found, &error));
  EXPECT_EQ(error, win_error::kPathNotFound);
  // A folder ending in "\" names no files.
  EXPECT_FALSE(FindFiles("C:\\Drivers\\", &found, &error));
  EXPECT_EQ(error, win_error::kFileNotFound);
  EXPECT_TRUE(FindFiles("C:\\Drivers\\*.none", &found, &error));
  EXPECT_TRUE(found.empty());
}

}  // namespace
}  // namespace tav::platform
