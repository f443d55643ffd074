// The package download against tavrolin-service on 127.0.0.1: slots, resume
// after a cancel, the MD5 check and its retries, failed transfers, the status
// file and the progress captions, as the rows of the result list see them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "core/date_time.h"
#include "core/folders.h"
#include "core/ini_file.h"
#include "core/settings.h"
#include "drivers/download_slots.h"
#include "drivers/download_status_file.h"
#include "platform/file_system.h"
#include "tests/drivers/download_fixture.h"

namespace tav::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

// Where an event of a row stands in the journal of all rows; -1 when absent.
int IndexOf(const std::vector<std::string>& journal, const std::string& event) {
  for (size_t i = 0; i < journal.size(); ++i) {
    if (journal[i] == event)
      return static_cast<int>(i);
  }
  return -1;
}

std::string Day(DateTime date) {
  return std::to_string(static_cast<int64_t>(std::floor(date)));
}

class PackageDownloadTest : public DownloadTest {
 protected:
  // A package the service holds and a row for it with the right MD5.
  RecordingRow& Served(const std::string& name,
                       const std::string& file_name,
                       size_t size,
                       uint32_t seed = 1) {
    bytes_[file_name] = content_.AddPackage(file_name, size, seed);
    return AddRow(name, Package(file_name, Md5Hex(bytes_[file_name])));
  }
  std::map<std::string, std::string> bytes_;
};

TEST_F(PackageDownloadTest, DownloadsThePackageIntoTheDownloadFolder) {
  RecordingRow& row = Served("a", "100_intel_lan.zip", 300000, 3);
  row.StartDownload();
  WaitForDownloads();
  EXPECT_TRUE(SameBytes(ReadPcFile(Target("intel_lan.zip")), bytes_["100_intel_lan.zip"]));
  EXPECT_FALSE(platform::FileExists(Target("intel_lan.zip") + ".downloading"));
  ASSERT_GE(row.events().size(), 3u);
  EXPECT_EQ(row.events()[0], "caption Preparing");
  EXPECT_EQ(row.events()[1], "position 0");
  EXPECT_THAT(row.events(), Contains("downloaded"));
  EXPECT_EQ(row.events().back(), "thread ended");
  EXPECT_EQ(row.thread(), nullptr);
  EXPECT_EQ(row.position(), 300000);
  EXPECT_EQ(row.maximum(), 300000);
  EXPECT_EQ(DownloadSlots::ActiveCount(), 0);
  EXPECT_EQ(CountLog(": TDownloadThread.Execute PARAMS: Finished: 100_intel_lan.zip"), 1)
      << LogText();
  EXPECT_EQ(CountLog(": TDownloadThread.NotifySuccess PARAMS: Success: intel_lan.zip"), 1);
  const std::vector<AccessLine> access = AccessFor("/downloads/100_intel_lan.zip", 2);
  const AccessLine* get = FindAccess(access, "GET", "-");
  ASSERT_NE(get, nullptr);
  EXPECT_THAT(get->target, HasSubstr("/downloads/100_intel_lan.zip?partner=" +
                                     GetProductValues().ads_name + "&version=4.0&nocache="));
  EXPECT_EQ(get->agent, "Kelvorad NextGen (compatible; Indy Library)");
}

TEST_F(PackageDownloadTest, WithOneSlotTheSecondPackageWaitsQueuedUntilTheFirstEnds) {
  GetRunningSettings().n_downloads = 1;
  DownloadSlots::LoadLimit();
  ASSERT_EQ(DownloadSlots::Limit(), 1);
  RecordingRow& first = Served("a", "100_first.zip", 2000000, 1);
  RecordingRow& second = Served("b", "200_second.zip", 2000000, 2);
  int most_active = 0;
  for (RecordingRow* row : {&first, &second}) {
    row->on_position = [&most_active](RecordingRow&) {
      most_active = std::max(most_active, DownloadSlots::ActiveCount());
    };
  }
  first.StartDownload();
  second.StartDownload();
  WaitForDownloads();
  ASSERT_TRUE(first.Has("downloaded")) << LogText();
  ASSERT_TRUE(second.Has("downloaded")) << LogText();
  EXPECT_EQ(most_active, 1);
  // Whichever took the slot first, the other one showed nothing but its
  // "Queued" until the first had ended.
  const bool a_first =
      IndexOf(journal_, "a caption Preparing") < IndexOf(journal_, "b caption Preparing");
  const std::string winner = a_first ? "a" : "b", waiter = a_first ? "b" : "a";
  const int waiter_starts = IndexOf(journal_, waiter + " caption Preparing");
  EXPECT_GT(waiter_starts, IndexOf(journal_, winner + " downloaded"));
  for (int i = 0; i < waiter_starts; ++i)
    EXPECT_THAT(journal_[i], Not(HasSubstr(waiter + " "))) << i;
  EXPECT_EQ(DownloadSlots::ActiveCount(), 0);
}

TEST_F(PackageDownloadTest, ACancelledDownloadLeavesItsPartialFileAndTheNextOneResumesIt) {
  constexpr size_t kSize = 8 << 20;
  // The service slows down after 2 MB, so the cancel lands mid-way.
  Faults({{{"path", "/downloads/300_video.zip"},
           {"method", "GET"},
           {"delay_after", 2 << 20},
           {"delay_ms", 300},
           {"times", 1}}});
  RecordingRow& row = Served("a", "300_video.zip", kSize, 7);
  row.on_position = [](RecordingRow& r) {
    if (r.position() >= (1 << 20) && r.thread())
      r.thread()->Terminate();
  };
  row.StartDownload();
  WaitForDownloads();
  EXPECT_EQ(row.caption(), "Queued");
  EXPECT_THAT(row.events(), Contains("not downloaded"));
  EXPECT_THAT(row.events(), Not(Contains("downloaded")));
  EXPECT_EQ(row.failed(), 0);
  EXPECT_EQ(CountLog(": TDownloadThread.Execute PARAMS: Cancelled: 300_video.zip"), 1) << LogText();
  EXPECT_FALSE(platform::FileExists(Target("video.zip")));
  const std::string partial = ReadPcFile(Target("video.zip") + ".downloading");
  ASSERT_GE(partial.size(), 1u << 20);
  ASSERT_LT(partial.size(), kSize);
  EXPECT_TRUE(SameBytes(partial, bytes_["300_video.zip"].substr(0, partial.size())));

  RecordingRow& again = AddRow("b", Package("300_video.zip", Md5Hex(bytes_["300_video.zip"])));
  again.StartDownload();
  WaitForDownloads();
  ASSERT_TRUE(again.Has("downloaded")) << LogText();
  EXPECT_TRUE(SameBytes(ReadPcFile(Target("video.zip")), bytes_["300_video.zip"]));
  const std::string range = "bytes=" + std::to_string(partial.size()) + "-";
  const std::vector<AccessLine> access = AccessFor("/downloads/300_video.zip", 4);
  const AccessLine* resumed = FindAccess(access, "GET", range);
  ASSERT_NE(resumed, nullptr) << range;
  EXPECT_EQ(resumed->status, 206);
  EXPECT_EQ(resumed->bytes, kSize - partial.size());
}

TEST_F(PackageDownloadTest, ARowThatGoesAwayStopsTheTransferAndHearsNothingMore) {
  RecordingRow& row = Served("a", "300_video.zip", 8 << 20, 7);
  Faults({{{"path", "/downloads/300_video.zip"},
           {"method", "GET"},
           {"delay_after", 2 << 20},
           {"delay_ms", 300}}});
  size_t events_when_gone = 0;
  row.on_position = [&events_when_gone](RecordingRow& r) {
    if (r.position() >= (1 << 20) && !r.IsGone()) {
      r.set_gone();
      events_when_gone = r.events().size();
    }
  };
  row.StartDownload();
  WaitForDownloads();
  // The caption of the report that found the row going, then only the
  // thread letting go of it.
  ASSERT_GT(events_when_gone, 0u);
  ASSERT_EQ(row.events().size(), events_when_gone + 2);
  EXPECT_THAT(row.events()[events_when_gone], HasSubstr(" MB"));
  EXPECT_EQ(row.events().back(), "thread ended");
  EXPECT_EQ(row.thread(), nullptr);
  EXPECT_EQ(CountLog("Cancelled: 300_video.zip"), 1) << LogText();
  EXPECT_TRUE(platform::FileExists(Target("video.zip") + ".downloading"));
  EXPECT_EQ(DownloadSlots::ActiveCount(), 0);
}

TEST_F(PackageDownloadTest, AnMd5ThatNeverMatchesFailsAfterThreeAttempts) {
  content_.AddPackage("400_audio.zip", 200000, 4);
  RecordingRow& row = AddRow("a", Package("400_audio.zip", std::string(32, 'a')));
  row.StartDownload();
  WaitForDownloads();
  EXPECT_EQ(CountLog(": TDownloadThread.Execute PARAMS: Finished: 400_audio.zip"), 3) << LogText();
  EXPECT_EQ(CountLog("ERROR (): TDownloadThread.CheckMD5 MESS: MD5 fail: " + std::string(32, 'a') +
                     " PARAMS: audio.zip"),
            3);
  EXPECT_EQ(CountLog(": TDownloadThread.Execute PARAMS: Failed: 400_audio.zip"), 2);
  EXPECT_EQ(CountLog("ERROR (): TDownloadThread.NotifyFail MESS: Failed PARAMS: audio.zip"), 1);
  EXPECT_EQ(CountLog("TDownloadThread.NotifySuccess"), 0);
  EXPECT_EQ(row.failed(), 1);
  EXPECT_THAT(row.events(), Contains("not downloaded"));
  EXPECT_EQ(row.events().back(), "thread ended");
  EXPECT_FALSE(platform::FileExists(Target("audio.zip")));
  // The wrong file is deleted, so every attempt starts from zero.
  int from_zero = 0;
  for (const AccessLine& line : AccessFor("/downloads/400_audio.zip", 6)) {
    if (line.method == "GET")
      from_zero += line.range == "-" ? 1 : 100;
  }
  EXPECT_EQ(from_zero, 3);
  EXPECT_FALSE(platform::FileExists(PackageStatusPath("audio.zip")));
  EXPECT_EQ(DownloadSlots::ActiveCount(), 0);
}

TEST_F(PackageDownloadTest, AnEmptyMd5IsAcceptedUnchecked) {
  const std::string bytes = content_.AddPackage("500_camera.zip", 100000, 5);
  RecordingRow& row = AddRow("a", Package("500_camera.zip", ""));
  row.StartDownload();
  WaitForDownloads();
  EXPECT_TRUE(row.Has("downloaded")) << LogText();
  EXPECT_TRUE(SameBytes(ReadPcFile(Target("camera.zip")), bytes));
  EXPECT_EQ(CountLog("TDownloadThread.CheckMD5"), 0);
}

TEST_F(PackageDownloadTest, SuccessRecordsTheDayInTheStatusFileAndKeepsItsOtherValues) {
  pc_->WriteFile(PackageStatusPath("chipset.zip"), "[Settings]\r\nStatus=None\r\nPresent=1\r\n");
  RecordingRow& row = Served("a", "600_chipset.zip", 50000, 6);
  row.StartDownload();
  WaitForDownloads();
  ASSERT_TRUE(row.Has("downloaded")) << LogText();
  const TMemIniFile status(PackageStatusPath("chipset.zip"));
  EXPECT_EQ(status.ReadString("Settings", "Downloaded", ""), Day(Today()));
  EXPECT_EQ(status.ReadString("Settings", "Status", ""), "None");
  EXPECT_EQ(status.ReadString("Settings", "Present", ""), "1");
}

TEST_F(PackageDownloadTest, AMissingStatusFileIsCreated) {
  RecordingRow& row = Served("a", "700_modem.zip", 50000, 8);
  row.StartDownload();
  WaitForDownloads();
  ASSERT_TRUE(row.Has("downloaded")) << LogText();
  EXPECT_EQ(TMemIniFile(PackageStatusPath("modem.zip")).ReadSection("Settings"),
            std::vector<std::string>{"Downloaded"});
}

TEST_F(PackageDownloadTest, TheLastCaptionsOfOneMegabyteAndOneByteMore) {
  RecordingRow& exact = Served("a", "800_exact.zip", 1048576, 9);
  RecordingRow& above = Served("b", "900_above.zip", 1048577, 10);
  exact.StartDownload();
  above.StartDownload();
  WaitForDownloads();
  ASSERT_TRUE(exact.Has("downloaded")) << LogText();
  ASSERT_TRUE(above.Has("downloaded")) << LogText();
  EXPECT_THAT(exact.events(), Contains("caption 1024 KB"));
  EXPECT_THAT(above.events(), Contains("caption     1.00 MB"));
  EXPECT_EQ(exact.caption(), "1024 KB");
  EXPECT_EQ(above.caption(), "    1.00 MB");
  EXPECT_EQ(above.position(), 1048577);
  EXPECT_EQ(above.maximum(), 1048577);
}

// Each failed call of the transport asks four times (twice on each stack),
// so eight dropped answers make two failed attempts; the third resumes.
TEST_F(PackageDownloadTest, ATransferFailingTwiceThenSucceeding) {
  Faults({{{"path", "/downloads/110_storage.zip"},
           {"method", "GET"},
           {"drop_after", 100000},
           {"times", 8}}});
  RecordingRow& row = Served("a", "110_storage.zip", 2000000, 11);
  row.StartDownload();
  WaitForDownloads();
  ASSERT_TRUE(row.Has("downloaded")) << LogText();
  EXPECT_TRUE(SameBytes(ReadPcFile(Target("storage.zip")), bytes_["110_storage.zip"]));
  EXPECT_EQ(CountLog(": TDownloadThread.Execute PARAMS: Failed: 110_storage.zip"), 2) << LogText();
  EXPECT_EQ(CountLog("Finished: 110_storage.zip"), 1);
  EXPECT_EQ(CountLog("Success: storage.zip"), 1);
  EXPECT_EQ(std::count(row.events().begin(), row.events().end(), "caption Preparing"), 3);
  EXPECT_EQ(row.failed(), 0);
}

}  // namespace
}  // namespace tav::testing
