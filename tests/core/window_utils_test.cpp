#include "core/window_utils.h"

#include <gtest/gtest.h>

#include "tests/core/program_machine.h"

namespace tav {
namespace {

class WindowUtilsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(window_.Create("TTavrolinMain", "Tavrolin", [](uint32_t, uint64_t, int64_t) {}));
  }
  void TearDown() override {
    while (XVclUtils::LockCount() > 0)
      XVclUtils::UnlockWindowUpdate();
  }

  testing::ProgramMachine machine_;
  platform::MessageWindow window_;
};

TEST_F(WindowUtilsTest, PlacementOfAnExistingWindowIsTheNormalRectangle) {
  WindowRect rect;
  ASSERT_TRUE(XWindow::GetWindowPlacementEvg(window_.Handle(), &rect));
  EXPECT_EQ(rect.left, XWindow::kNormalRect.left);
  EXPECT_EQ(rect.top, XWindow::kNormalRect.top);
  EXPECT_EQ(rect.right, XWindow::kNormalRect.right);
  EXPECT_EQ(rect.bottom, XWindow::kNormalRect.bottom);
  EXPECT_EQ(testing::ProgramMachine::CountLines("GetWindowPlacement fail"), 0u);
}

TEST_F(WindowUtilsTest, PlacementOfAMissingWindowFailsWithAnInformationLine) {
  const platform::WindowHandle gone = window_.Handle();
  window_.Destroy();
  WindowRect rect;
  EXPECT_FALSE(XWindow::GetWindowPlacementEvg(gone, &rect));
  EXPECT_FALSE(XWindow::GetWindowPlacementEvg(0, &rect));
  EXPECT_EQ(testing::ProgramMachine::CountLines(
                ": XWindow.GetWindowPlacementEvg PARAMS: GetWindowPlacement fail (no window)"),
            1u);  // the repeat is folded into a count
}

TEST_F(WindowUtilsTest, BringToFrontTellsWhetherTheWindowExists) {
  EXPECT_TRUE(XWindow::BringToFront(window_.Handle()));
  EXPECT_FALSE(XWindow::BringToFront(0));
}

TEST_F(WindowUtilsTest, NestedLocksHoldTheFirstWindowUntilTheLastUnlock) {
  XVclUtils::LockWindowUpdate(window_.Handle());
  XVclUtils::LockWindowUpdate(window_.Handle() + 1);
  EXPECT_EQ(XVclUtils::LockedWindow(), window_.Handle());
  XVclUtils::UnlockWindowUpdate();
  EXPECT_EQ(XVclUtils::LockedWindow(), window_.Handle());
  XVclUtils::UnlockWindowUpdate();
  EXPECT_EQ(XVclUtils::LockedWindow(), 0u);
  EXPECT_EQ(XVclUtils::LockCount(), 0);
  EXPECT_EQ(testing::ProgramMachine::CountLines("XVclUtils"), 0u);
}

TEST_F(WindowUtilsTest, UnbalancedCallsAreLogged) {
  XVclUtils::LockWindowUpdate(0);
  EXPECT_EQ(
      testing::ProgramMachine::CountLines("ERROR (): XVclUtils.LockWindowUpdate MESS: Handle = 0"),
      1u);
  XVclUtils::UnlockWindowUpdate();
  EXPECT_EQ(testing::ProgramMachine::CountLines(
                "ERROR (): XVclUtils.UnlockWindowUpdate MESS: FLockedWindow = 0"),
            1u);
  XVclUtils::UnlockWindowUpdate();
  EXPECT_EQ(testing::ProgramMachine::CountLines(
                "ERROR (): XVclUtils.UnlockWindowUpdate MESS: FLockCount < 0"),
            1u);
  // A stray unlock does not swallow the next lock.
  XVclUtils::LockWindowUpdate(window_.Handle());
  EXPECT_EQ(XVclUtils::LockedWindow(), window_.Handle());
  XVclUtils::UnlockWindowUpdate();
  EXPECT_EQ(XVclUtils::LockedWindow(), 0u);
}

}  // namespace
}  // namespace tav
