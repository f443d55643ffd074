// Two programs writing the same registry at once (the program and an
// installer, or two copies of the program) must not lose each other's work.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/win_errors.h"
#include "tests/platform/child_process.h"
#include "tests/support/temp_machine.h"

namespace tav::platform {
namespace {

constexpr const char* kKey = "Software\\Tavrolin\\Race";
constexpr int kPerWriter = 150;

// A writer: values PREFIX0..PREFIXn in one shared key, and a key of its own
// per value, each written through fresh handles as separate programs do.
int RegistryWriter(const std::vector<std::string>& args) {
  const std::string prefix = args.at(0);
  for (int i = 0; i < kPerWriter; ++i) {
    RegistryKey shared, own;
    if (shared.Create(RegRoot::kCurrentUser, kKey) != 0 ||
        shared.SetValue(prefix + std::to_string(i), RegValue::Dword(static_cast<uint32_t>(i))) !=
            0 ||
        shared.CreateSubKey(prefix + "-" + std::to_string(i), &own) != 0) {
      return 1;
    }
  }
  return 0;
}

const bool kRegistered = testing::RegisterChildRoutine("registry-writer", &RegistryWriter);

TEST(RegistryConcurrencyTest, TwoProcessesWritingTheSameKeyLoseNothing) {
  testing::TempMachine pc;
  testing::ChildProcess first, second;
  ASSERT_TRUE(first.Start("registry-writer", {"a"}));
  ASSERT_TRUE(second.Start("registry-writer", {"b"}));
  EXPECT_EQ(first.Wait(), 0);
  EXPECT_EQ(second.Wait(), 0);

  RegistryKey key;
  ASSERT_EQ(key.Open(RegRoot::kCurrentUser, kKey, RegAccess::kRead), win_error::kSuccess);
  std::vector<std::string> values, subkeys;
  ASSERT_EQ(key.EnumValues(&values), win_error::kSuccess);
  ASSERT_EQ(key.EnumSubKeys(&subkeys), win_error::kSuccess);
  EXPECT_EQ(std::set<std::string>(values.begin(), values.end()).size(), 2u * kPerWriter);
  EXPECT_EQ(std::set<std::string>(subkeys.begin(), subkeys.end()).size(), 2u * kPerWriter);
  for (const char* prefix : {"a", "b"}) {
    for (int i = 0; i < kPerWriter; i += 37) {
      RegValue v;
      ASSERT_EQ(key.QueryValue(prefix + std::to_string(i), &v), win_error::kSuccess);
      EXPECT_EQ(v.AsDword(), static_cast<uint32_t>(i));
    }
  }
}

}  // namespace
}  // namespace tav::platform
