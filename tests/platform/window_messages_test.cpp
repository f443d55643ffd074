// Window messages between the programs of the PC: finding a window by class
// and title, posted and broadcast messages arriving through the message
// loop, and the windows of a program that ended.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/message_loop.h"
#include "platform/window_messages.h"
#include "tests/platform/child_process.h"
#include "tests/support/temp_machine.h"

namespace tav::platform {
namespace {

constexpr const char* kClass = "TavrolinAgentWindow";
constexpr const char* kTitle = "Tavrolin Agent";

// A program with one window: reports its handle and the number it got for
// the registered message, then every message that arrives, until its input
// closes.
int WindowOwner(const std::vector<std::string>&) {
  MessageWindow window;
  const bool created = window.Create(kClass, kTitle, [](uint32_t msg, uint64_t w, int64_t l) {
    testing::TellParent("got " + std::to_string(msg) + " " + std::to_string(w) + " " +
                        std::to_string(l));
  });
  if (!created)
    return 1;
  testing::TellParent("ready " + std::to_string(window.Handle()) + " " +
                      std::to_string(RegisterWindowMessage("Tavrolin.Wake")));
  while (!testing::ParentClosedInput(0))
    PumpMessages(20);
  return 0;
}

const bool kRegistered = testing::RegisterChildRoutine("window-owner", &WindowOwner);

class WindowMessagesTest : public ::testing::Test {
 protected:
  testing::TempMachine pc_;
  testing::ChildProcess owner_;
  WindowHandle handle_ = 0;
  uint32_t child_message_ = 0;

  void StartOwner() {
    ASSERT_TRUE(owner_.Start("window-owner"));
    std::string line;
    ASSERT_TRUE(owner_.ReadLine(&line));
    unsigned long long handle = 0;
    unsigned message = 0;
    ASSERT_EQ(std::sscanf(line.c_str(), "ready %llu %u", &handle, &message), 2) << line;
    handle_ = handle;
    child_message_ = message;
  }
};

TEST_F(WindowMessagesTest, AnotherProgramsWindowIsFoundAndGetsPostedMessages) {
  StartOwner();
  EXPECT_EQ(FindWindow(kClass, kTitle), handle_);
  EXPECT_EQ(FindWindow("", kTitle), handle_);
  EXPECT_EQ(FindWindow("tavrolinagentwindow", "TAVROLIN AGENT"), handle_);
  EXPECT_EQ(FindWindow("OtherClass", kTitle), 0u);
  EXPECT_EQ(FindWindow(kClass, "Other title"), 0u);
  EXPECT_TRUE(IsWindow(handle_));

  const uint32_t message = RegisterWindowMessage("TAVROLIN.WAKE");
  EXPECT_GE(message, 0xC000u);
  EXPECT_EQ(message, child_message_);
  ASSERT_TRUE(PostMessage(handle_, message, 7, -3));
  std::string line;
  ASSERT_TRUE(owner_.ReadLine(&line));
  EXPECT_EQ(line, "got " + std::to_string(message) + " 7 -3");
}

TEST_F(WindowMessagesTest, ABroadcastReachesEveryWindowThroughTheMessageLoop) {
  StartOwner();
  std::vector<uint64_t> received;
  MessageWindow mine;
  ASSERT_TRUE(mine.Create("TavrolinMain", "Tavrolin",
                          [&](uint32_t, uint64_t w, int64_t) { received.push_back(w); }));
  const uint32_t message = RegisterWindowMessage("Tavrolin.Wake");
  ASSERT_TRUE(BroadcastMessage(message, 42, 0));

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (received.empty() && std::chrono::steady_clock::now() < deadline)
    PumpMessages(50);
  EXPECT_EQ(received, std::vector<uint64_t>{42});
  std::string line;
  ASSERT_TRUE(owner_.ReadLine(&line));
  EXPECT_EQ(line, "got " + std::to_string(message) + " 42 0");
}

TEST_F(WindowMessagesTest, TheWindowOfAProgramThatEndedIsGone) {
  StartOwner();
  // Killed, it leaves its window's record; ended but not yet reaped, it
  // still has a process entry.
  owner_.KillWithoutReaping();
  EXPECT_EQ(FindWindow(kClass, kTitle), 0u);
  EXPECT_FALSE(IsWindow(handle_));
  EXPECT_FALSE(PostMessage(handle_, 0xC000, 0, 0));
}

TEST_F(WindowMessagesTest, AWindowIsFoundByItsNewTitleAndNotAfterDestroy) {
  MessageWindow window;
  ASSERT_TRUE(window.Create(kClass, "Before", [](uint32_t, uint64_t, int64_t) {}));
  ASSERT_TRUE(window.SetTitle("After"));
  EXPECT_EQ(FindWindow(kClass, "Before"), 0u);
  EXPECT_EQ(FindWindow(kClass, "After"), window.Handle());
  const WindowHandle handle = window.Handle();
  window.Destroy();
  EXPECT_EQ(FindWindow(kClass, "After"), 0u);
  EXPECT_FALSE(IsWindow(handle));
}

}  // namespace
}  // namespace tav::platform
