#include "matching/driver_database.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "core/folders.h"
#include "core/log_engine.h"
#include "core/main_thread.h"
#include "platform/file_system.h"
#include "tests/support/temp_machine.h"

namespace tav {
namespace {

using ::testing::HasSubstr;

// A database with the tables the program relies on, n driver rows and the
// given settings rows.
void MakeDatabase(const std::string& path, int rows,
                  const std::vector<std::pair<std::string, std::string>>& settings) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(platform::NativePath(path).c_str(), &db), SQLITE_OK);
  const char* schema =
      "CREATE TABLE hardids(id INTEGER PRIMARY KEY, hardid TEXT);"
      "CREATE TABLE drivers(hardid_index INTEGER, hardid_full_index INTEGER, file_id INTEGER,"
      " vendor_id INTEGER, version_id INTEGER, installer_id INTEGER, device_id INTEGER,"
      " hardid_index_in_line INTEGER, os INTEGER);"
      "CREATE TABLE settings(name TEXT, value TEXT);"
      "CREATE TABLE ven_vendors(ven TEXT, vendor TEXT);"
      "CREATE TABLE vid_vendors(vid TEXT, vendor TEXT);";
  ASSERT_EQ(sqlite3_exec(db, schema, nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
  for (int i = 0; i < rows; ++i) {
    const std::string sql = "INSERT INTO drivers VALUES(" + std::to_string(i) + "," +
                            std::to_string(i) + ",1,1,1,1,1,0,7)";
    sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
  }
  for (const auto& [name, value] : settings) {
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO settings VALUES(?1, ?2)", -1, &stmt, nullptr);
    sqlite3_bind_text(stmt, 1, name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(stmt, 2, value.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_step(stmt);
    sqlite3_finalize(stmt);
  }
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(db);
}

class DriverDatabaseTest : public ::testing::Test {
 protected:
  explicit DriverDatabaseTest(nlohmann::json profile = nlohmann::json::object()) : pc_(profile) {}
  void SetUp() override {
    MainThread::Init();
    GetFolders() = Folders();
    ResolveFixedFolders();
    InitParams("Tavrolin", "", "", false);
    XLog::Init(GetFolders().core_work);
  }
  void TearDown() override { XLog::Stop(); }
  std::vector<std::string> Log() {
    XLog::Flush();
    return ReadLogFileLines(GetFolders().core_work + "program.log");
  }
  testing::TempMachine pc_;
};

TEST_F(DriverDatabaseTest, TheFileFollowsTheBitness) {
  EXPECT_EQ(DefaultDatabasePath(), GetFolders().core_work + "Drivers64.db");
}

TEST_F(DriverDatabaseTest, QuickCheckTable) {
  struct Row {
    int rows;
    std::vector<std::pair<std::string, std::string>> settings;
    bool usable;
    const char* logged;  // a text the log must hold, or null
  };
  const Row rows[] = {
      {10000, {{"plain", "0"}}, true, nullptr},
      {9999, {{"plain", "0"}}, false, "Get count fail: 9999"},
      {10000, {{"plain", "1"}}, false, nullptr},
      {10000, {}, false, nullptr},
      {10000, {{"plain", "0"}, {"cut", "1"}, {"os", "7"}}, true, nullptr},
      {10000, {{"plain", "0"}, {"cut", "1"}, {"os", "81"}}, false, "Different OS: 81 vs 7"},
      {10000, {{"plain", "0"}, {"cut", "0"}, {"os", "81"}}, true, nullptr},
  };
  int n = 0;
  for (const Row& row : rows) {
    const std::string path = DefaultDatabasePath();
    platform::DeleteFile(path);
    MakeDatabase(path, row.rows, row.settings);
    EXPECT_EQ(QuickCheckDatabase(), row.usable) << "row " << n;
    if (row.logged) {
      EXPECT_THAT(Log(), ::testing::Contains(HasSubstr(row.logged))) << "row " << n;
    }
    ++n;
  }
}

TEST_F(DriverDatabaseTest, QuickCheckOfAMissingOrBrokenFile) {
  EXPECT_FALSE(QuickCheckDatabase());
  pc_.WriteFile(DefaultDatabasePath(), "this is not a database");
  EXPECT_FALSE(QuickCheckDatabase());
  const auto log = Log();
  EXPECT_THAT(log, ::testing::Contains(HasSubstr("QuickCheckDatabase MESS: Not exists")));
  EXPECT_THAT(log, ::testing::Contains(HasSubstr("QuickCheckDatabase MESS: Create fail")));
}

TEST_F(DriverDatabaseTest, IndexesAreCreatedOnceAndAgain) {
  MakeDatabase(DefaultDatabasePath(), 10, {{"plain", "0"}});
  EXPECT_TRUE(CreateBaseIndexes());
  EXPECT_TRUE(CreateBaseIndexes()) << "IF NOT EXISTS";
  SqliteDatabase db;
  ASSERT_TRUE(db.Open(DefaultDatabasePath(), true, nullptr));
  SqliteStatement* stmt =
      db.Prepare("SELECT name FROM sqlite_master WHERE type='index' ORDER BY name");
  std::vector<std::string> names;
  while (stmt->Step()) names.push_back(stmt->Text(0));
  EXPECT_THAT(names, ::testing::ElementsAre("hardid_full_index", "hardid_index", "ind_col"));
}

TEST_F(DriverDatabaseTest, IndexCreationFailures) {
  EXPECT_FALSE(CreateBaseIndexes());
  // A database without the drivers table fails at the first statement.
  sqlite3* db = nullptr;
  sqlite3_open(platform::NativePath(DefaultDatabasePath()).c_str(), &db);
  sqlite3_exec(db, "CREATE TABLE hardids(id, hardid)", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  EXPECT_FALSE(CreateBaseIndexes());
  const auto log = Log();
  EXPECT_THAT(log, ::testing::Contains(HasSubstr("CreateBaseIndexes MESS: Not exists")));
  EXPECT_THAT(log, ::testing::Contains(HasSubstr("Creating filter 1 fail: no such table: main.drivers")));
}

// A second creation while the first one waits for a lock: within 3 s it
// takes the first one's end as its own success; after 3 s it gives up.
TEST_F(DriverDatabaseTest, ASecondCreationWaitsForTheFirst) {
  for (const int hold_ms : {1500, 4500}) {
    const std::string path = DefaultDatabasePath();
    platform::DeleteFile(path);
    MakeDatabase(path, 10, {{"plain", "0"}});
    sqlite3* holder = nullptr;
    ASSERT_EQ(sqlite3_open(platform::NativePath(path).c_str(), &holder), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    bool first = false;
    std::thread first_call([&] { first = CreateBaseIndexes(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    bool second = false;
    std::thread second_call([&] { second = CreateBaseIndexes(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(hold_ms));
    sqlite3_exec(holder, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(holder);
    first_call.join();
    second_call.join();
    EXPECT_TRUE(first) << "hold " << hold_ms;
    EXPECT_EQ(second, hold_ms < 3000) << "hold " << hold_ms;
  }
  EXPECT_THAT(Log(), ::testing::Contains(HasSubstr("CreateBaseIndexes MESS: Already creating")));
}

TEST_F(DriverDatabaseTest, SettingsAreBoundNotFormatted) {
  MakeDatabase(DefaultDatabasePath(), 1, {{"date", "2015-10-01"}, {"x\" OR \"1\"=\"1", "no"}});
  SqliteDatabase db;
  ASSERT_TRUE(db.Open(DefaultDatabasePath(), true, nullptr));
  EXPECT_EQ(ReadDatabaseSetting(db, "date"), "2015-10-01");
  EXPECT_EQ(ReadDatabaseSetting(db, "missing"), "");
  EXPECT_EQ(ReadDatabaseSetting(db, "\" OR \"1\"=\"1"), "") << "the name is a value, never SQL";
  int64_t count = 0;
  ASSERT_TRUE(CountDriverRows(db, &count));
  EXPECT_EQ(count, 1);
}

}  // namespace
}  // namespace tav
