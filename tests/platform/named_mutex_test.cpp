// Named mutexes between the programs of a session: the single-instance
// check of the program rests on them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/named_mutex.h"
#include "platform/win_errors.h"
#include "tests/platform/child_process.h"
#include "tests/support/temp_machine.h"

namespace tav::platform {
namespace {

constexpr const char* kName = "Local\\Tavrolin_Running";

// Waits for "go" (when asked), takes the mutex, reports whether it existed,
// and holds it until the test closes its input.
int MutexHolder(const std::vector<std::string>& args) {
  std::string line;
  if (args.size() > 1 && args[1] == "wait" && (!testing::ReadFromParent(&line) || line != "go")) {
    return 2;
  }
  NamedMutex mutex;
  bool existed = false;
  if (!mutex.Create(args.at(0), &existed))
    return 1;
  testing::TellParent(existed ? "existed" : "created");
  while (testing::ReadFromParent(&line)) {
  }
  return 0;
}

const bool kRegistered = testing::RegisterChildRoutine("mutex-holder", &MutexHolder);

TEST(NamedMutexTest, AMutexHeldByAnotherProcessIsSeenUntilThatProcessEnds) {
  testing::TempMachine pc;
  EXPECT_FALSE(NamedMutex::Exists(kName));
  testing::ChildProcess holder;
  ASSERT_TRUE(holder.Start("mutex-holder", {kName}));
  std::string line;
  ASSERT_TRUE(holder.ReadLine(&line));
  EXPECT_EQ(line, "created");

  EXPECT_TRUE(NamedMutex::Exists(kName));
  EXPECT_TRUE(NamedMutex::Exists("Tavrolin_Running"));   // "Local\" is the session's namespace
  EXPECT_FALSE(NamedMutex::Exists("tavrolin_running"));  // names keep their case
  NamedMutex mine;
  bool existed = false;
  int32_t error = 0;
  ASSERT_TRUE(mine.Create(kName, &existed, &error));
  EXPECT_TRUE(existed);
  EXPECT_EQ(error, win_error::kAlreadyExists);
  mine.Close();

  holder.CloseInput();
  EXPECT_EQ(holder.Wait(), 0);
  EXPECT_FALSE(NamedMutex::Exists(kName));
}

TEST(NamedMutexTest, AKilledHolderLeavesNoMutexBehind) {
  testing::TempMachine pc;
  testing::ChildProcess holder;
  ASSERT_TRUE(holder.Start("mutex-holder", {kName}));
  std::string line;
  ASSERT_TRUE(holder.ReadLine(&line));
  ASSERT_TRUE(NamedMutex::Exists(kName));
  holder.KillWithoutReaping();
  EXPECT_FALSE(NamedMutex::Exists(kName));
}

TEST(NamedMutexTest, OfProgramsStartingTogetherExactlyOneCreatesTheMutex) {
  testing::TempMachine pc;
  constexpr int kStarters = 4;
  for (int round = 0; round < 5; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    testing::ChildProcess starters[kStarters];
    for (auto& s : starters)
      ASSERT_TRUE(s.Start("mutex-holder", {kName, "wait"}));
    for (auto& s : starters)
      s.WriteLine("go");
    int created = 0;
    for (auto& s : starters) {
      std::string line;
      ASSERT_TRUE(s.ReadLine(&line));
      created += line == "created" ? 1 : 0;
    }
    EXPECT_EQ(created, 1);
    for (auto& s : starters)
      s.CloseInput();
    for (auto& s : starters)
      EXPECT_EQ(s.Wait(), 0);
  }
}

TEST(NamedMutexTest, TheOwnHandleCountsAsExisting) {
  testing::TempMachine pc;
  NamedMutex first, second;
  bool existed = true;
  ASSERT_TRUE(first.Create("Tavrolin_Update", &existed));
  EXPECT_FALSE(existed);
  ASSERT_TRUE(second.Create("Tavrolin_Update", &existed));
  EXPECT_TRUE(existed);
  first.Close();
  second.Close();
  EXPECT_FALSE(NamedMutex::Exists("Tavrolin_Update"));
}

}  // namespace
}  // namespace tav::platform
