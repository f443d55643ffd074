#include "tests/matching/test_database.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <map>

#include "devices/hardware_ids.h"
#include "matching/digit_swap.h"
#include "matching/driver_database_schema.h"
#include "platform/file_system.h"

namespace tav::testing {

namespace {

int64_t Id(sqlite3* db, std::map<std::string, int64_t>* ids, const char* table, const char* column,
           const std::string& value, const char* extra_column = nullptr,
           const std::string& extra_value = "") {
  const std::string key = value + "\x1f" + extra_value;
  if (auto it = ids->find(key); it != ids->end()) return it->second;
  std::string sql = std::string("INSERT INTO ") + table + "(" + column;
  if (extra_column) sql += std::string(",") + extra_column;
  sql += extra_column ? ") VALUES(?1, ?2)" : ") VALUES(?1)";
  sqlite3_stmt* stmt = nullptr;
  EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr), SQLITE_OK) << sql;
  sqlite3_bind_text(stmt, 1, value.c_str(), -1, SQLITE_TRANSIENT);
  if (extra_column) sqlite3_bind_text(stmt, 2, extra_value.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_step(stmt);
  sqlite3_finalize(stmt);
  const int64_t id = sqlite3_last_insert_rowid(db);
  ids->emplace(key, id);
  return id;
}

void Exec(sqlite3* db, const std::string& sql) {
  char* error = nullptr;
  EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK)
      << (error ? error : "") << " in " << sql;
  sqlite3_free(error);
}

void Insert(sqlite3* db, const char* sql, std::initializer_list<std::string> values) {
  sqlite3_stmt* stmt = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr), SQLITE_OK) << sql;
  int i = 1;
  for (const std::string& v : values) sqlite3_bind_text(stmt, i++, v.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_step(stmt);
  sqlite3_finalize(stmt);
}

}  // namespace

void MakeDriverDatabase(const std::string& path, const std::vector<Offer>& offers,
                        const std::vector<std::pair<std::string, std::string>>& settings,
                        const std::vector<std::pair<std::string, std::string>>& pci_vendors,
                        const std::vector<std::pair<std::string, std::string>>& usb_vendors) {
  platform::DeleteFile(path);
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(platform::NativePath(path).c_str(), &db), SQLITE_OK);
  Exec(db, std::string(kDriverDatabaseSchema));
  Exec(db, "BEGIN");
  std::map<std::string, int64_t> hardids, vendors, versions, installers, descriptions;
  std::map<std::string, int64_t> files;
  for (const Offer& o : offers) {
    const std::string full = TransformHardwareId(PrepareSqlText(o.id));
    const std::string reduced = TransformHardwareId(ReduceHardwareId(o.id));
    const int64_t full_id = Id(db, &hardids, "hardids", "hardid", full);
    const int64_t reduced_id = Id(db, &hardids, "hardids", "hardid", reduced);
    int64_t file_id;
    const std::string stored = FileNameToStored(o.file);
    if (auto it = files.find(stored + o.hash); it != files.end()) {
      file_id = it->second;
    } else {
      Insert(db, "INSERT INTO files(filename, filehash, file_description) VALUES(?1, ?2, ?3)",
             {stored, o.hash, o.file_description});
      file_id = sqlite3_last_insert_rowid(db);
      files.emplace(stored + o.hash, file_id);
    }
    const int64_t vendor_id = Id(db, &vendors, "vendors", "vendor", o.vendor);
    const int64_t version_id = Id(db, &versions, "versions", "version", o.version, "date", o.date);
    const int64_t installer_id = Id(db, &installers, "installers", "installer", o.installer);
    const int64_t device_id =
        Id(db, &descriptions, "devices_descriptions", "device_description", o.device_description);
    Exec(db, "INSERT INTO drivers VALUES(" + std::to_string(reduced_id) + "," + std::to_string(full_id) + "," +
                 std::to_string(file_id) + "," + std::to_string(vendor_id) + "," +
                 std::to_string(version_id) + "," + std::to_string(installer_id) + "," +
                 std::to_string(device_id) + "," + std::to_string(o.index_in_line) + "," +
                 std::to_string(o.os) + ")");
  }
  for (const auto& [name, value] : settings) {
    Insert(db, "INSERT INTO settings(name, value) VALUES(?1, ?2)", {name, value});
  }
  for (const auto& [code, vendor] : pci_vendors) {
    Insert(db, "INSERT INTO ven_vendors(ven, vendor) VALUES(?1, ?2)", {code, vendor});
  }
  for (const auto& [code, vendor] : usb_vendors) {
    Insert(db, "INSERT INTO vid_vendors(vid, vendor) VALUES(?1, ?2)", {code, vendor});
  }
  Exec(db, "COMMIT");
  sqlite3_close(db);
}

}  // namespace tav::testing
