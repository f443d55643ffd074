// Making a virtual PC from a profile: what is refused, and that a refused
// PC leaves nothing behind.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/linux/virtual_pc.h"
#include "tests/support/temp_machine.h"

namespace tav::platform::vpc {
namespace {

using ::testing::HasSubstr;
namespace fs = std::filesystem;

struct ProfileCase {
  const char* label;
  std::string profile;
  const char* reason;
};

TEST(VirtualPcTest, ABadProfileIsRefusedAndLeavesNothingBehind) {
  const ProfileCase cases[] = {
      {"not JSON", "{ nope", "not valid JSON"},
      {"not an object", "[1, 2]", "not a JSON object"},
      {"bad drive letter", R"({"drives": [{"letter": "CD"}]})", "drive letter"},
      {"Windows on a missing drive", R"({"os": {"windows_dir": "E:\\Windows"}})", "E:\\Windows"},
      {"Windows folder not a path", R"({"os": {"windows_dir": "Windows"}})", "Windows folder"},
      {"uptime of the wrong type", R"({"os": {"uptime_seconds": "long"}})", "wrong type"},
      {"registry list of the wrong type", R"({"registry": {"key": 1}})", "registry"},
      {"registry value of the wrong type",
       R"({"registry": [{"key": "HKCU\\Software\\X", "values": [{"name": "a", "type": "REG_DWORD", "data": "1"}]}]})",
       "number"},
  };
  for (const ProfileCase& c : cases) {
    SCOPED_TRACE(c.label);
    testing::TempFolder folder;
    const std::string root = folder.path() + "/pc";
    std::string error;
    EXPECT_FALSE(VirtualPc::Create(root, c.profile, &error));
    EXPECT_THAT(error, HasSubstr(c.reason));
    EXPECT_FALSE(fs::exists(root));
  }
}

TEST(VirtualPcTest, AFolderThatIsNotEmptyIsNotTaken) {
  testing::TempFolder folder;
  std::ofstream(folder.path() + "/keep.txt") << "mine";
  std::string error;
  EXPECT_FALSE(VirtualPc::Create(folder.path(), VirtualPc::DefaultProfile(), &error));
  EXPECT_THAT(error, HasSubstr("not empty"));
  EXPECT_TRUE(fs::exists(folder.path() + "/keep.txt"));
  EXPECT_FALSE(fs::exists(folder.path() + "/machine.json"));
}

TEST(VirtualPcTest, AnEmptyFolderIsTakenAndTheNewPcCanBeUsed) {
  testing::TempFolder folder;
  std::string error;
  ASSERT_TRUE(VirtualPc::Create(folder.path(), VirtualPc::DefaultProfile(), &error)) << error;
  ASSERT_TRUE(VirtualPc::Use(folder.path(), &error)) << error;
  EXPECT_EQ(VirtualPc::Current().root(), fs::canonical(folder.path()).string());
  EXPECT_FALSE(VirtualPc::Use(folder.path() + "/drives", &error));
  EXPECT_THAT(error, HasSubstr("not a virtual PC"));
}

}  // namespace
}  // namespace tav::platform::vpc
