// The small parts of the package download: captions, slots, texts.
#include <gtest/gtest.h>

#include "core/main_thread.h"
#include "core/settings.h"
#include "drivers/download_slots.h"
#include "drivers/download_texts.h"
#include "drivers/progress_caption.h"

namespace tav {
namespace {

TEST(ProgressCaptionTest, KilobytesUpToOneMegabyteThenMegabytesEightWide) {
  EXPECT_EQ(ProgressCaption(0), "0 KB");
  EXPECT_EQ(ProgressCaption(1023), "0 KB");
  EXPECT_EQ(ProgressCaption(1048575), "1023 KB");
  EXPECT_EQ(ProgressCaption(1048576), "1024 KB");
  EXPECT_EQ(ProgressCaption(1048577), "    1.00 MB");
  EXPECT_EQ(ProgressCaption(15 * 1048576 + 524288), "   15.50 MB");
  EXPECT_EQ(ProgressCaption(268435456), "  256.00 MB");
}

TEST(DownloadSlotsTest, ThreeUntilTheSettingIsLoaded) {
  DownloadSlots::Reset();
  EXPECT_EQ(DownloadSlots::Limit(), 3);
  EXPECT_TRUE(DownloadSlots::TryTake());
  EXPECT_TRUE(DownloadSlots::TryTake());
  EXPECT_TRUE(DownloadSlots::TryTake());
  EXPECT_FALSE(DownloadSlots::TryTake());
  EXPECT_EQ(DownloadSlots::ActiveCount(), 3);
  DownloadSlots::Release();
  EXPECT_TRUE(DownloadSlots::TryTake());
  DownloadSlots::Reset();
  EXPECT_EQ(DownloadSlots::ActiveCount(), 0);
}

TEST(DownloadSlotsTest, TheLimitComesFromNDownloads) {
  DownloadSlots::Reset();
  GetRunningSettings().n_downloads = 5;
  DownloadSlots::LoadLimit();
  EXPECT_EQ(DownloadSlots::Limit(), 5);
  GetRunningSettings().n_downloads = 0;
  DownloadSlots::LoadLimit();
  EXPECT_EQ(DownloadSlots::Limit(), 5);
  GetRunningSettings().n_downloads = 3;
  DownloadSlots::Reset();
}

TEST(DownloadSlotsTest, ReleasingMoreThanWasTakenStaysAtZero) {
  DownloadSlots::Reset();
  DownloadSlots::Release();
  EXPECT_EQ(DownloadSlots::ActiveCount(), 0);
}

TEST(DownloadTextsTest, EnglishDefaultsUntilALookupIsPluggedIn) {
  EXPECT_EQ(PreparingText(), "Preparing");
  EXPECT_EQ(QueuedText(), "Queued");
  SetTextLookup([](std::string_view section, std::string_view key, std::string_view) {
    return std::string(section) + "/" + std::string(key);
  });
  EXPECT_EQ(PreparingText(), "Engine/SubStatusPreparing");
  EXPECT_EQ(QueuedText(), "Engine/StatusQueued");
  SetTextLookup({});
  EXPECT_EQ(QueuedText(), "Queued");
}

}  // namespace
}  // namespace tav
