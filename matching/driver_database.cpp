#include "matching/driver_database.h"

#include <atomic>

#include "core/folders.h"
#include "core/log_engine.h"
#include "core/process_flags.h"
#include "core/text_utils.h"
#include "platform/clock.h"
#include "platform/file_system.h"

namespace tav {

namespace {

std::atomic<bool> g_creating_indexes{false};

constexpr std::string_view kIndexStatements[] = {
    "CREATE INDEX IF NOT EXISTS hardid_index on drivers(hardid_index);",
    "CREATE INDEX IF NOT EXISTS hardid_full_index on drivers(hardid_full_index);",
    "CREATE INDEX IF NOT EXISTS ind_col on hardids(hardid);",
};

}  // namespace

std::string DatabaseFileName() { return IsWow64() ? "Drivers64.db" : "Drivers32.db"; }

std::string DefaultDatabasePath() { return GetFolders().core_work + DatabaseFileName(); }

bool CreateBaseIndexes(std::string_view database_path) {
  bool expected = false;
  if (!g_creating_indexes.compare_exchange_strong(expected, true)) {
    XLog::Error("CreateBaseIndexes", "Already creating");
    for (int wait = 0; wait < 30; ++wait) {
      platform::Sleep(100);
      if (!g_creating_indexes) return true;
    }
    return false;
  }
  struct ClearFlag {
    ~ClearFlag() { g_creating_indexes = false; }
  } clear_flag;
  const std::string path = database_path.empty() ? DefaultDatabasePath() : std::string(database_path);
  if (!platform::FileExists(path)) {
    if (GetStartMode() != StartMode::kInstall) XLog::Error("CreateBaseIndexes", "Not exists", 0, path);
    return false;
  }
  XLog::Log("CreateBaseIndexes", "begin for " + path);
  SqliteDatabase db;
  std::string error;
  if (!db.Open(path, false, &error)) {
    XLog::Error("CreateBaseIndexes", "Create error: " + error, 0, path);
    return false;
  }
  for (size_t i = 0; i < std::size(kIndexStatements); ++i) {
    if (!db.Execute(kIndexStatements[i], &error)) {
      XLog::Error("CreateBaseIndexes",
                  "Creating filter " + std::to_string(i + 1) + " fail: " + error, 0, path);
      return false;
    }
  }
  db.Close();
  XLog::Log("CreateBaseIndexes", "success");
  return true;
}

std::string ReadDatabaseSetting(SqliteDatabase& db, std::string_view name, bool* ok) {
  SqliteStatement* stmt = db.Prepare(driver_sql::kSetting);
  if (!stmt) {
    if (ok) *ok = false;
    return {};
  }
  stmt->Bind(1, name);
  std::string value;
  if (stmt->Step()) value = stmt->Text("value");
  if (ok) *ok = stmt->ok();
  stmt->Reset();
  return value;
}

bool CountDriverRows(SqliteDatabase& db, int64_t* count) {
  SqliteStatement* stmt = db.Prepare(driver_sql::kCount);
  if (!stmt || !stmt->Step()) return false;
  *count = stmt->Integer("NumberOfOrders");
  stmt->Reset();
  return true;
}

bool QuickCheckDatabase() {
  const std::string path = DefaultDatabasePath();
  if (!platform::FileExists(path)) {
    XLog::Error("QuickCheckDatabase", "Not exists", 0, path);
    return false;
  }
  SqliteDatabase db;
  std::string error;
  if (!db.Open(path, true, &error)) {
    XLog::Error("QuickCheckDatabase", "Create fail", 0, path);
    return false;
  }
  int64_t count = 0;
  if (!CountDriverRows(db, &count)) {
    XLog::Error("QuickCheckDatabase", "Get count fail", 0, path);
    return false;
  }
  if (count <= 9999) {
    XLog::Error("QuickCheckDatabase", "Get count fail: " + std::to_string(count), 0, path);
    return false;
  }
  bool ok = true;
  const std::string plain = ReadDatabaseSetting(db, "plain", &ok);
  const std::string cut = ok ? ReadDatabaseSetting(db, "cut", &ok) : std::string();
  const std::string os = ok ? ReadDatabaseSetting(db, "os", &ok) : std::string();
  if (!ok) {
    XLog::Error("QuickCheckDatabase", "Get count fail", 0, path);
    return false;
  }
  if (plain != "0") return false;
  if (cut != "1") return true;
  const int64_t database_os = StrToIntDef(os, -1);
  if (database_os == GetOsCode()) return true;
  XLog::Log("QuickCheckDatabase", "Different OS: " + std::to_string(database_os) + " vs " +
                                      std::to_string(GetOsCode()));
  return false;
}

}  // namespace tav
