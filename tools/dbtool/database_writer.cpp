#include "tools/dbtool/database_writer.h"

#include <cstdio>
#include <filesystem>

#include "matching/driver_database_schema.h"

namespace tav::dbtool {

namespace {

void BindText(sqlite3_stmt* stmt, int index, std::string_view text) {
  sqlite3_bind_text(stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

}  // namespace

DatabaseWriter::~DatabaseWriter() {
  Close();
  if (!temp_path_.empty())
    std::remove(temp_path_.c_str());
}

void DatabaseWriter::Close() {
  for (sqlite3_stmt* stmt :
       {insert_hardid_, insert_file_, insert_vendor_, insert_version_, insert_installer_,
        insert_description_, insert_driver_, insert_setting_, insert_ven_, insert_vid_}) {
    sqlite3_finalize(stmt);
  }
  insert_hardid_ = insert_file_ = insert_vendor_ = insert_version_ = insert_installer_ =
      insert_description_ = insert_driver_ = insert_setting_ = insert_ven_ = insert_vid_ = nullptr;
  if (db_)
    sqlite3_close(db_);
  db_ = nullptr;
}

std::string DatabaseWriter::LastError() const {
  return db_ ? sqlite3_errmsg(db_) : "the database is not open";
}

sqlite3_stmt* DatabaseWriter::Prepare(const char* sql) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db_, sql, -1, &stmt, nullptr) != SQLITE_OK)
    failed_ = true;
  return stmt;
}

bool DatabaseWriter::Create(const std::string& host_path, std::string* error) {
  path_ = host_path;
  temp_path_ = host_path + ".building";
  std::remove(temp_path_.c_str());
  if (sqlite3_open(temp_path_.c_str(), &db_) != SQLITE_OK) {
    *error = LastError();
    return false;
  }
  const std::string setup = std::string("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;") +
                            std::string(kDriverDatabaseSchema) + "BEGIN;";
  char* message = nullptr;
  if (sqlite3_exec(db_, setup.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    *error = message ? message : LastError();
    sqlite3_free(message);
    return false;
  }
  insert_hardid_ = Prepare("INSERT INTO hardids(id, hardid) VALUES(?1, ?2)");
  insert_file_ = Prepare(
      "INSERT INTO files(id, filename, filehash, file_description, size) VALUES(?1, ?2, ?3, ?4, "
      "?5)");
  insert_vendor_ = Prepare("INSERT INTO vendors(id, vendor) VALUES(?1, ?2)");
  insert_version_ = Prepare("INSERT INTO versions(id, version, date) VALUES(?1, ?2, ?3)");
  insert_installer_ = Prepare("INSERT INTO installers(id, installer) VALUES(?1, ?2)");
  insert_description_ =
      Prepare("INSERT INTO devices_descriptions(id, device_description) VALUES(?1, ?2)");
  insert_driver_ = Prepare(
      "INSERT INTO drivers(hardid_index, hardid_full_index, file_id, vendor_id, version_id,"
      " installer_id, device_id, hardid_index_in_line, os) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, "
      "?9)");
  insert_setting_ = Prepare("INSERT OR REPLACE INTO settings(name, value) VALUES(?1, ?2)");
  insert_ven_ = Prepare("INSERT OR IGNORE INTO ven_vendors(ven, vendor) VALUES(?1, ?2)");
  insert_vid_ = Prepare("INSERT OR IGNORE INTO vid_vendors(vid, vendor) VALUES(?1, ?2)");
  if (failed_)
    *error = LastError();
  return !failed_;
}

bool DatabaseWriter::Run(sqlite3_stmt* stmt) {
  const bool done = sqlite3_step(stmt) == SQLITE_DONE;
  sqlite3_reset(stmt);
  sqlite3_clear_bindings(stmt);
  if (!done)
    failed_ = true;
  return done;
}

int64_t DatabaseWriter::Intern(Interned* ids, sqlite3_stmt* insert, const std::string& text) {
  const auto [it, added] = ids->emplace(text, static_cast<int64_t>(ids->size()) + 1);
  if (added) {
    sqlite3_bind_int64(insert, 1, it->second);
    BindText(insert, 2, text);
    Run(insert);
  }
  return it->second;
}

int64_t DatabaseWriter::File(const DriverRow& row) {
  const auto [it, added] = files_.emplace(row.filename, static_cast<int64_t>(files_.size()) + 1);
  if (added) {
    sqlite3_bind_int64(insert_file_, 1, it->second);
    BindText(insert_file_, 2, row.filename);
    BindText(insert_file_, 3, row.filehash);
    BindText(insert_file_, 4, row.file_description);
    sqlite3_bind_int64(insert_file_, 5, row.file_size);
    Run(insert_file_);
  }
  return it->second;
}

int64_t DatabaseWriter::Version(const DriverRow& row) {
  const std::string key = row.version + '\n' + row.date;
  const auto [it, added] = versions_.emplace(key, static_cast<int64_t>(versions_.size()) + 1);
  if (added) {
    sqlite3_bind_int64(insert_version_, 1, it->second);
    BindText(insert_version_, 2, row.version);
    BindText(insert_version_, 3, row.date);
    Run(insert_version_);
  }
  return it->second;
}

bool DatabaseWriter::AddRow(const DriverRow& row) {
  if (failed_)
    return false;
  sqlite3_stmt* s = insert_driver_;
  const int64_t reduced = Intern(&hardids_, insert_hardid_, row.reduced_id);
  const int64_t full = Intern(&hardids_, insert_hardid_, row.full_id);
  sqlite3_bind_int64(s, 1, reduced);
  sqlite3_bind_int64(s, 2, full);
  sqlite3_bind_int64(s, 3, File(row));
  sqlite3_bind_int64(s, 4, Intern(&vendors_, insert_vendor_, row.vendor));
  sqlite3_bind_int64(s, 5, Version(row));
  if (row.installer.empty()) {
    sqlite3_bind_null(s, 6);
  } else {
    sqlite3_bind_int64(s, 6, Intern(&installers_, insert_installer_, row.installer));
  }
  sqlite3_bind_int64(s, 7, Intern(&descriptions_, insert_description_, row.device_description));
  sqlite3_bind_int64(s, 8, row.index_in_line);
  sqlite3_bind_int64(s, 9, row.os);
  if (!Run(s))
    return false;
  ++rows_;
  return !failed_;
}

bool DatabaseWriter::AddSetting(std::string_view name, std::string_view value) {
  BindText(insert_setting_, 1, name);
  BindText(insert_setting_, 2, value);
  return Run(insert_setting_);
}

bool DatabaseWriter::AddPciVendor(std::string_view code, std::string_view vendor) {
  BindText(insert_ven_, 1, code);
  BindText(insert_ven_, 2, vendor);
  return Run(insert_ven_);
}

bool DatabaseWriter::AddUsbVendor(std::string_view code, std::string_view vendor) {
  BindText(insert_vid_, 1, code);
  BindText(insert_vid_, 2, vendor);
  return Run(insert_vid_);
}

bool DatabaseWriter::Finish(std::string* error) {
  if (failed_ || sqlite3_exec(db_, "COMMIT;", nullptr, nullptr, nullptr) != SQLITE_OK) {
    *error = LastError();
    return false;
  }
  Close();
  std::error_code ec;
  std::filesystem::rename(temp_path_, path_, ec);
  if (ec) {
    *error = "cannot put the database in place: " + ec.message();
    return false;
  }
  temp_path_.clear();
  return true;
}

}  // namespace tav::dbtool
