#include "core/settings.h"

#include <gtest/gtest.h>

#include "core/database_date.h"
#include "core/folders.h"
#include "core/main_thread.h"
#include "core/settings_access.h"
#include "platform/file_system.h"
#include "tests/support/temp_machine.h"

namespace tav {
namespace {

using platform::RegRoot;
using platform::RegType;
using platform::RegValue;

constexpr RegRoot kHkcu = RegRoot::kCurrentUser;

void SetRaw(std::string_view name, const RegValue& value) {
  platform::RegistryKey key;
  ASSERT_EQ(key.Create(kHkcu, kSettingsKey), 0);
  ASSERT_EQ(key.SetValue(name, value), 0);
}

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MainThread::Init();
    GetFolders() = Folders();
    ResolveFixedFolders();
    InitParams("Tavrolin", "", "", false);
    GetRunningSettings() = RunningSettings();
  }
  testing::TempMachine pc_;
};

TEST_F(SettingsTest, TypedReadsNeverFailAndRejectOtherTypes) {
  EXPECT_EQ(RegReadString(kHkcu, "SOFTWARE\\NoSuchKey", "x"), "");
  EXPECT_EQ(RegReadInteger(kHkcu, kSettingsKey, "missing"), 0);
  SetRaw("Text", RegValue::String("  padded \t"));
  SetRaw("Expand", RegValue::String("%APPDATA%", RegType::kExpandSz));
  SetRaw("nDownloads", RegValue::String("5"));
  SetRaw("Flag", RegValue::Dword(7));
  SetRaw("Date", RegValue::Binary({1, 2, 3}));
  EXPECT_EQ(RegReadString(kHkcu, kSettingsKey, "text"), "padded");
  EXPECT_EQ(RegReadString(kHkcu, kSettingsKey, "Expand"), "%APPDATA%");
  EXPECT_EQ(RegReadInteger(kHkcu, kSettingsKey, "nDownloads"), 0) << "a text is no integer";
  EXPECT_TRUE(RegReadBool(kHkcu, kSettingsKey, "Flag")) << "any non-zero reads as true";
  EXPECT_EQ(RegReadString(kHkcu, kSettingsKey, "Flag"), "");
  EXPECT_EQ(RegReadDate(kHkcu, kSettingsKey, "Date"), 0.0) << "not 8 bytes";
  RegWriteDate(kHkcu, kSettingsKey, "When", 42004.25);
  EXPECT_EQ(RegReadDate(kHkcu, kSettingsKey, "When"), 42004.25);
  RegWriteString(kHkcu, "SOFTWARE\\Tavrolin\\Deep\\Key", "v", "made");
  EXPECT_EQ(RegReadString(kHkcu, "SOFTWARE\\Tavrolin\\Deep\\Key", "v"), "made");
}

TEST_F(SettingsTest, FirstRunWritesEveryDefault) {
  RunStartupSettingsStep();
  const RunningSettings& s = GetRunningSettings();
  EXPECT_EQ(s.run_counter, 1);
  EXPECT_EQ(RegReadInteger(kHkcu, kSettingsKey, "AppStart"), 1);
  EXPECT_EQ(RegReadInteger(kHkcu, kSettingsKey, "Language"), 1);
  EXPECT_EQ(RegReadInteger(kHkcu, kSettingsKey, "nDownloads"), 3);
  EXPECT_EQ(RegReadString(kHkcu, kSettingsKey, "BackupPath"), GetFolders().default_backup);
  EXPECT_EQ(RegReadString(kHkcu, kSettingsKey, "DownloadPath"), GetFolders().download);
  EXPECT_TRUE(RegReadBool(kHkcu, kSettingsKey, "TrayNotification"));
  EXPECT_TRUE(RegReadBool(kHkcu, kSettingsKey, "s_SmartScan"));
  EXPECT_TRUE(RegValueExists(kHkcu, kSettingsKey, "ProxyPassword"));
  EXPECT_FALSE(RegValueExists(kHkcu, kSettingsKey, "ShowFeedbackMessage"));
  EXPECT_FALSE(RegValueExists(kHkcu, kSettingsKey, "s_Exec"));
  const DateTime now = Now();
  EXPECT_NEAR(RegReadDate(kHkcu, kSettingsKey, "s_SmartDate"), now - 1.0, 0.01);
  EXPECT_NEAR(RegReadDate(kHkcu, kSettingsKey, "LastUpdate"), now, 0.01);
  EXPECT_EQ(RegReadString(kHkcu, kSettingsKey, "InstallationDate"),
            DateToStr(now, WorkFileFormatSettings()));
  EXPECT_EQ(s.n_downloads, 3);
}

TEST_F(SettingsTest, LaterRunsCountAndKeepTheUsersChoices) {
  RunStartupSettingsStep();
  RegWriteInteger(kHkcu, kSettingsKey, "nDownloads", 5);
  RegWriteInteger(kHkcu, kSettingsKey, "Language", 4);
  RegWriteString(kHkcu, kSettingsKey, "BackupPath", "D:\\Backups\\");
  RunStartupSettingsStep();
  EXPECT_EQ(GetRunningSettings().run_counter, 2);
  EXPECT_EQ(RegReadInteger(kHkcu, kSettingsKey, "AppStart"), 2);
  EXPECT_EQ(GetRunningSettings().n_downloads, 5);
  EXPECT_EQ(GetFolders().backup, "D:\\Backups\\");
}

TEST_F(SettingsTest, AppStartNotAboveZeroIsAFirstRunAgain) {
  RunStartupSettingsStep();
  RegWriteInteger(kHkcu, kSettingsKey, "nDownloads", 5);
  RegWriteInteger(kHkcu, kSettingsKey, "Language", 4);
  RegWriteInteger(kHkcu, kSettingsKey, "AppStart", 0);
  RunStartupSettingsStep();
  EXPECT_EQ(GetRunningSettings().run_counter, 1);
  EXPECT_EQ(RegReadInteger(kHkcu, kSettingsKey, "nDownloads"), 3) << "defaults are rewritten";
  EXPECT_EQ(RegReadInteger(kHkcu, kSettingsKey, "Language"), 4) << "Language only when missing";
}

TEST_F(SettingsTest, EmptyPathsAndZeroDownloadsKeepTheDefaults) {
  RunStartupSettingsStep();
  RegWriteString(kHkcu, kSettingsKey, "BackupPath", "");
  RegWriteInteger(kHkcu, kSettingsKey, "nDownloads", 0);
  GetRunningSettings() = RunningSettings();
  GetFolders().backup = GetFolders().default_backup;
  RunStartupSettingsStep();
  EXPECT_EQ(GetFolders().backup, GetFolders().default_backup);
  EXPECT_EQ(GetRunningSettings().n_downloads, 3);
}

TEST_F(SettingsTest, ProductValuesAndThePartnerName) {
  LoadProductValues();
  EXPECT_EQ(GetProductValues().ads_name, "Tavrolin");
  EXPECT_TRUE(GetProductValues().after_install_url_hidden);
  RegWriteString(kHkcu, kSettingsKey, "AdsName", "");
  RegWriteBool(kHkcu, kSettingsKey, "UseAds", true);
  LoadProductValues();
  EXPECT_EQ(GetProductValues().ads_name, "UNKNOWN");
  EXPECT_FALSE(GetProductValues().use_ads) << "no offer address: no offers";
  RegWriteString(kHkcu, kSettingsKey, "AdsDownloadURL2", "http://example.test/x");
  LoadProductValues();
  EXPECT_TRUE(GetProductValues().use_ads);
}

TEST_F(SettingsTest, DatabaseDatePrefersTheThirtyTwoBitFile) {
  const DateTime now = Now();
  EXPECT_NEAR(DatabaseDate(), now, 0.01) << "no database: now";
  const std::string work = GetFolders().core_work;
  pc_.WriteFile(work + "Drivers64.db", "64");
  pc_.WriteFile(work + "Drivers32.db", "32");
  platform::SetLastWriteTime(work + "Drivers64.db", DateTimeToFileTime(41000.5));
  platform::SetLastWriteTime(work + "Drivers32.db", DateTimeToFileTime(42000.75));
  EXPECT_EQ(DatabaseDate(), 42000.0);
  platform::DeleteFile(work + "Drivers32.db");
  EXPECT_EQ(DatabaseDate(), 41000.0);
}

}  // namespace
}  // namespace tav
