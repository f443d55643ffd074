// The driver database updater against the real service on 127.0.0.1.
#include "net/database_updater.h"

#include <archive.h>
#include <archive_entry.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/folders.h"
#include "core/format_settings.h"
#include "core/ini_file.h"
#include "core/log_engine.h"
#include "core/main_thread.h"
#include "core/settings.h"
#include "core/settings_access.h"
#include "core/text_utils.h"
#include "devices/device_dates.h"
#include "matching/driver_database.h"
#include "net/service_hosts.h"
#include "platform/file_system.h"
#include "tests/matching/test_database.h"
#include "tests/net/service_content.h"
#include "tests/net/service_process.h"
#include "tests/support/temp_machine.h"

namespace tav {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;

std::string DaysAgo(int days) {
  return DateToText(DatePart(Now()) - days, true);
}

// A database of the program's kind: enough driver rows to pass the quick check.
std::string DatabaseBytes(const std::string& windows_path,
                          const std::string& date,
                          int rows = 10000) {
  std::vector<testing::Offer> offers;
  for (int i = 0; i < rows; ++i) {
    testing::Offer o;
    o.id = "PCI\\VEN_8086&DEV_" + std::to_string(1000 + i % 9000) + "&SUBSYS_" + std::to_string(i);
    offers.push_back(o);
  }
  testing::MakeDriverDatabase(windows_path, offers, {{"date", date}, {"plain", "0"}});
  std::ifstream in(platform::NativePath(windows_path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Write7z(const std::string& path, const std::string& bytes) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  archive* a = archive_write_new();
  archive_write_set_format_7zip(a);
  archive_write_open_filename(a, path.c_str());
  archive_entry* entry = archive_entry_new();
  archive_entry_set_pathname(entry, "Drivers.db");
  archive_entry_set_size(entry, static_cast<la_int64_t>(bytes.size()));
  archive_entry_set_filetype(entry, AE_IFREG);
  archive_entry_set_perm(entry, 0644);
  archive_write_header(a, entry);
  archive_write_data(a, bytes.data(), bytes.size());
  archive_entry_free(entry);
  archive_write_close(a);
  archive_write_free(a);
}

class UpdaterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MainThread::Init();
    MainThread::Restart();
    GetFolders() = Folders();
    ResolveFixedFolders();
    InitParams("Tavrolin", "", "", false);
    LoadProductValues();
    XLog::Init(GetFolders().core_work);
    ResetUpdaterState();
    service_ = std::make_unique<testing::ServiceProcess>(content_.root());
    ASSERT_TRUE(service_->ok());
    RegWriteString(kSettingsRoot, kSettingsKey, "ServiceHost", service_->host());
    LoadServiceHosts();
  }
  void TearDown() override {
    WaitForUpdateThread(30000);
    XLog::Stop();
  }

  // The service's 64-bit Windows 7 database.
  void ServeDatabase(const std::string& date) {
    Write7z(content_.root() + "/databases/64/7/Drivers.7z",
            DatabaseBytes(GetFolders().core_work + "made.db", date));
    platform::DeleteFile(GetFolders().core_work + "made.db");
  }
  void LocalDatabase(const std::string& date) { DatabaseBytes(DefaultDatabasePath(), date); }
  void LastChecked(DateTime when) {
    TMemIniFile settings(UpdaterSettingsPath());
    settings.WriteDate("general", "LastUpdate", when, UserFormatSettings());
    ASSERT_TRUE(settings.UpdateFile());
  }

  // Runs the update to its end; the codes the callback got.
  std::vector<int> Update(bool* started, bool* db_exists, std::function<bool(int)> cancel_at = {}) {
    std::vector<int> codes;
    bool done = false;
    *started = UpdateDriverBases(db_exists, [&](int code, int32_t, int32_t, bool* cancel) {
      codes.push_back(code);
      if (cancel_at && cancel_at(code))
        *cancel = true;
      done = done || code == kUpdateCancelled || code == kUpdateFailed || code == kUpdateFinished;
    });
    if (*started)
      MainThread::RunLoop([&] { return done; }, 20);
    WaitForUpdateThread(30000);
    return codes;
  }
  std::string DatabaseDate() {
    SqliteDatabase db;
    if (!db.Open(DefaultDatabasePath(), true, nullptr))
      return "<none>";
    return Trim(ReadDatabaseSetting(db, "date"));
  }
  std::vector<std::string> Log() {
    XLog::Flush();
    return ReadLogFileLines(GetFolders().core_work + "program.log");
  }
  // The count once it reaches at_least, or as it is after timeout_ms.
  int Requests(const std::string& path, size_t at_least = 0, int timeout_ms = 0) {
    return static_cast<int>(service_->AccessFor(path, at_least, timeout_ms).size());
  }

  testing::TempMachine pc_;
  testing::ServiceContent content_;
  std::unique_ptr<testing::ServiceProcess> service_;
};

TEST_F(UpdaterTest, AMissingDatabaseIsDownloadedCheckedAndIndexed) {
  ServeDatabase(DaysAgo(1));
  LastChecked(Now());  // a recent check does not hold back a missing database
  bool started = false, exists = true;
  const std::vector<int> codes = Update(&started, &exists);
  ASSERT_TRUE(started);
  EXPECT_FALSE(exists);
  EXPECT_EQ(codes.front(), kUpdateProgress);
  EXPECT_THAT(codes, Contains(kUpdateVerified));
  EXPECT_EQ(codes.back(), kUpdateFinished);
  EXPECT_EQ(DatabaseDate(), DaysAgo(1));
  EXPECT_TRUE(QuickCheckDatabase());
  EXPECT_FALSE(platform::FileExists(GetFolders().core_work + "Drivers.7z"));
  EXPECT_FALSE(platform::FileExists(DefaultDatabasePath() + ".prev"));
  EXPECT_FALSE(IsUpdating());
  // One update per run while a database exists.
  EXPECT_EQ(Update(&started, &exists), std::vector<int>{});
  EXPECT_FALSE(started);
  Requests("/databases/64/7/Drivers.7z", 1, 5000);
  const auto downloads = service_->AccessFor("/databases/64/7/Drivers.7z");
  ASSERT_FALSE(downloads.empty());
  EXPECT_THAT(downloads.back().target, HasSubstr("?partner=Tavrolin&version=4.0&nocache="));
}

TEST_F(UpdaterTest, TheServiceIsAskedOnlyForAnOldDatabaseAndAtMostWeekly) {
  struct Row {
    int local_age;
    DateTime last_checked;  // days ago; < 0 for never
    int service_age;
    bool asked;
    bool updated;
  };
  const Row rows[] = {
      {9, -1, 0, false, false},  // young enough: never asked
      {10, -1, 9, true, false},  // asked: the service's is 1 day newer: up to date
      {10, -1, 8, true, true},   // 2 days newer: update
      {30, 3, 0, false, false},  // checked 3 days ago
      {30, 7, 0, true, true},    // checked a week ago
  };
  for (const Row& r : rows) {
    ResetUpdaterState();
    platform::DeleteFile(UpdaterSettingsPath());
    LocalDatabase(DaysAgo(r.local_age));
    ServeDatabase(DaysAgo(r.service_age));
    if (r.last_checked >= 0)
      LastChecked(Now() - r.last_checked);
    const int asked_before = Requests("/rpc/getlastupdatecxw");
    bool started = false, exists = false;
    const std::vector<int> codes = Update(&started, &exists);
    // A request that should not come gets a moment to show up all the same.
    const int asked_after =
        Requests("/rpc/getlastupdatecxw", asked_before + 1, r.asked ? 5000 : 300);
    EXPECT_EQ(asked_after > asked_before, r.asked) << "local age " << r.local_age;
    EXPECT_EQ(started, r.updated) << "local age " << r.local_age << ", service age "
                                  << r.service_age;
    EXPECT_EQ(DatabaseDate(), DaysAgo(r.updated ? r.service_age : r.local_age));
  }
}

TEST_F(UpdaterTest, AWrongMd5RestoresThePreviousDatabase) {
  LocalDatabase(DaysAgo(40));
  ServeDatabase(DaysAgo(1));
  ASSERT_TRUE(service_->SetFaults(
      {{"rules", {{{"path", "/databases/64/7/Drivers.7z"}, {"corrupt", true}}}}}));
  bool started = false, exists = false;
  const std::vector<int> codes = Update(&started, &exists);
  ASSERT_TRUE(started);
  EXPECT_EQ(codes.back(), kUpdateFinished) << "the previous database is in place again";
  EXPECT_EQ(DatabaseDate(), DaysAgo(40));
  const auto log = Log();
  EXPECT_THAT(log, Contains(HasSubstr("CheckDatabaseMD5 fail, Attempt 3")));
  EXPECT_FALSE(platform::FileExists(DefaultDatabasePath() + ".prev"));
}

TEST_F(UpdaterTest, ThreeFailedDownloadsRestoreThePreviousDatabase) {
  LocalDatabase(DaysAgo(40));
  ServeDatabase(DaysAgo(1));
  // Every attempt breaks off after a few bytes (and the next resumes from there).
  ASSERT_TRUE(service_->SetFaults(
      {{"rules", {{{"path", "/databases/64/7/Drivers.7z"}, {"drop_after", 10}}}}}));
  bool started = false, exists = false;
  const std::vector<int> codes = Update(&started, &exists);
  ASSERT_TRUE(started);
  EXPECT_EQ(codes.back(), kUpdateFinished);
  EXPECT_EQ(DatabaseDate(), DaysAgo(40));
  EXPECT_THAT(Log(), Contains(HasSubstr("Cannot download Drivers, Attempt 3")));
}

// An error answer is never taken for the archive: each attempt fails.
TEST_F(UpdaterTest, AnErrorAnswerInPlaceOfTheArchiveFailsEveryAttempt) {
  LocalDatabase(DaysAgo(40));
  ServeDatabase(DaysAgo(1));
  ASSERT_TRUE(service_->SetFaults(
      {{"rules", {{{"path", "/databases/64/7/Drivers.7z"}, {"status", 500}}}}}));
  bool started = false, exists = false;
  const std::vector<int> codes = Update(&started, &exists);
  ASSERT_TRUE(started);
  EXPECT_EQ(codes.back(), kUpdateFinished);
  EXPECT_EQ(DatabaseDate(), DaysAgo(40));
  EXPECT_THAT(Log(), Contains(HasSubstr("Cannot download Drivers, Attempt 3")));
  EXPECT_THAT(Log(), Not(Contains(HasSubstr("CheckDatabaseMD5 fail"))));
}

TEST_F(UpdaterTest, AnAnswerWithoutTheMarkerIsRefused) {
  LocalDatabase(DaysAgo(40));
  ServeDatabase(DaysAgo(1));
  ASSERT_TRUE(
      service_->SetFaults({{"rules", {{{"path", "/rpc/getdatabasecxw"}, {"status", 404}}}}}));
  bool started = false, exists = false;
  const std::vector<int> codes = Update(&started, &exists);
  EXPECT_EQ(codes.back(), kUpdateFinished);
  EXPECT_EQ(DatabaseDate(), DaysAgo(40));
}

TEST_F(UpdaterTest, AFirstUpdateThatFailsOrIsCancelled) {
  ServeDatabase(DaysAgo(1));
  ASSERT_TRUE(service_->SetFaults(
      {{"rules", {{{"path", "/databases/64/7/Drivers.7z"}, {"status", 500}}}}}));
  bool started = false, exists = true;
  EXPECT_EQ(Update(&started, &exists).back(), kUpdateFailed);
  EXPECT_FALSE(platform::FileExists(DefaultDatabasePath()));
  ResetUpdaterState();
  ASSERT_TRUE(service_->ClearFaults());
  // Vetoed before the thread starts.
  EXPECT_EQ(Update(&started, &exists, [](int code) { return code == kUpdateProgress; }),
            (std::vector<int>{kUpdateProgress, kUpdateCancelled}));
  EXPECT_FALSE(started);
  // Cancelled while the archive comes in.
  ASSERT_TRUE(service_->SetFaults(
      {{"rules", {{{"path", "/databases/64/7/Drivers.7z"}, {"delay_ms", 200}}}}}));
  int progress = 0;
  const std::vector<int> codes = Update(
      &started, &exists, [&](int code) { return code == kUpdateProgress && ++progress == 2; });
  ASSERT_TRUE(started);
  EXPECT_EQ(codes.back(), kUpdateCancelled);
  EXPECT_FALSE(platform::FileExists(DefaultDatabasePath()));
}

}  // namespace
}  // namespace tav
