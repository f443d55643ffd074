// A small SQLite connection with prepared statements that are kept and
// reused, values always bound (never formatted into SQL text), and result
// columns read by name.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

class SqliteStatement {
 public:
  SqliteStatement(sqlite3* db, sqlite3_stmt* stmt);
  ~SqliteStatement();
  SqliteStatement(const SqliteStatement&) = delete;
  SqliteStatement& operator=(const SqliteStatement&) = delete;

  // Clears the last run and its bindings.
  void Reset();
  void Bind(int index, std::string_view text);
  void Bind(int index, int64_t value);
  // True while a row is there; false at the end or on an error (see ok()).
  bool Step();
  bool ok() const { return ok_; }

  // The column's index by name (-1 when the result has none).
  int Column(std::string_view name) const;
  std::string Text(int column) const;
  std::string Text(std::string_view name) const { return Text(Column(name)); }
  int64_t Integer(int column) const;
  int64_t Integer(std::string_view name) const { return Integer(Column(name)); }

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_;
  bool ok_ = true;
  std::map<std::string, int, std::less<>> columns_;
};

class SqliteDatabase {
 public:
  SqliteDatabase() = default;
  ~SqliteDatabase();
  SqliteDatabase(const SqliteDatabase&) = delete;
  SqliteDatabase& operator=(const SqliteDatabase&) = delete;

  // Opens a database file (a Windows path on the PC) with
  // PRAGMA synchronous=NORMAL. read_only opens without write access.
  bool Open(std::string_view path, bool read_only, std::string* error);
  bool IsOpen() const { return db_ != nullptr; }
  void Close();

  bool Execute(std::string_view sql, std::string* error = nullptr);
  // The statement for this SQL text, prepared on first use and reused; null
  // with the error when it does not compile.
  SqliteStatement* Prepare(std::string_view sql, std::string* error = nullptr);

  // A read transaction held across many lookups (a consistent view, and no
  // lock taken per statement).
  bool BeginRead();
  void EndRead();

  std::string LastError() const;
  sqlite3* handle() const { return db_; }

 private:
  sqlite3* db_ = nullptr;
  std::map<std::string, std::unique_ptr<SqliteStatement>, std::less<>> statements_;
  bool in_read_ = false;
};

}  // namespace tav
