// Writes a driver database (the tables of kDriverDatabaseSchema) in one
// transaction with prepared statements; texts that repeat (IDs, packages,
// vendors, versions, installers, descriptions) are stored once. The file is
// written beside its target and renamed over it at the end, so a failed
// build leaves no half database. The lookup indexes are the program's to make.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tav::dbtool {

// One offer of a package for one ID, every text in its stored form.
struct DriverRow {
  std::string full_id;     // transformed complete ID
  std::string reduced_id;  // transformed reduced ID
  int64_t index_in_line = 0;
  std::string date;  // "yyyy-mm-dd"
  std::string version;
  std::string vendor;
  std::string filename;  // stored package name
  std::string filehash;
  std::string file_description;
  int64_t file_size = 0;
  std::string installer;  // "/" separators
  std::string device_description;
  int64_t os = 0;
};

class DatabaseWriter {
 public:
  DatabaseWriter() = default;
  ~DatabaseWriter();
  DatabaseWriter(const DatabaseWriter&) = delete;
  DatabaseWriter& operator=(const DatabaseWriter&) = delete;

  bool Create(const std::string& host_path, std::string* error);
  bool AddRow(const DriverRow& row);
  bool AddSetting(std::string_view name, std::string_view value);
  bool AddPciVendor(std::string_view code, std::string_view vendor);
  bool AddUsbVendor(std::string_view code, std::string_view vendor);
  // Commits and puts the file in place.
  bool Finish(std::string* error);

  int64_t rows() const { return rows_; }
  int64_t hardids() const { return static_cast<int64_t>(hardids_.size()); }
  std::string LastError() const;

 private:
  using Interned = std::unordered_map<std::string, int64_t>;
  sqlite3_stmt* Prepare(const char* sql);
  bool Run(sqlite3_stmt* stmt);
  // The id of a text in a one-text table, inserting it the first time.
  int64_t Intern(Interned* ids, sqlite3_stmt* insert, const std::string& text);
  int64_t File(const DriverRow& row);
  int64_t Version(const DriverRow& row);
  void Close();

  sqlite3* db_ = nullptr;
  std::string path_, temp_path_;
  sqlite3_stmt* insert_hardid_ = nullptr;
  sqlite3_stmt* insert_file_ = nullptr;
  sqlite3_stmt* insert_vendor_ = nullptr;
  sqlite3_stmt* insert_version_ = nullptr;
  sqlite3_stmt* insert_installer_ = nullptr;
  sqlite3_stmt* insert_description_ = nullptr;
  sqlite3_stmt* insert_driver_ = nullptr;
  sqlite3_stmt* insert_setting_ = nullptr;
  sqlite3_stmt* insert_ven_ = nullptr;
  sqlite3_stmt* insert_vid_ = nullptr;
  Interned hardids_, files_, vendors_, versions_, installers_, descriptions_;
  int64_t rows_ = 0;
  bool failed_ = false;
};

}  // namespace tav::dbtool
