#include "matching/sqlite_database.h"

#include "platform/file_system.h"

namespace tav {

SqliteStatement::SqliteStatement(sqlite3* db, sqlite3_stmt* stmt) : db_(db), stmt_(stmt) {
  const int count = sqlite3_column_count(stmt_);
  for (int i = 0; i < count; ++i) {
    // The first column of a name wins, as a by-name read of a joined row does.
    columns_.emplace(sqlite3_column_name(stmt_, i), i);
  }
}

SqliteStatement::~SqliteStatement() { sqlite3_finalize(stmt_); }

void SqliteStatement::Reset() {
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
  ok_ = true;
}

void SqliteStatement::Bind(int index, std::string_view text) {
  sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void SqliteStatement::Bind(int index, int64_t value) { sqlite3_bind_int64(stmt_, index, value); }

bool SqliteStatement::Step() {
  const int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  ok_ = rc == SQLITE_DONE;
  return false;
}

int SqliteStatement::Column(std::string_view name) const {
  const auto it = columns_.find(name);
  return it == columns_.end() ? -1 : it->second;
}

std::string SqliteStatement::Text(int column) const {
  if (column < 0) return {};
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
  return text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(stmt_, column)))
              : std::string();
}

int64_t SqliteStatement::Integer(int column) const {
  return column < 0 ? 0 : sqlite3_column_int64(stmt_, column);
}

SqliteDatabase::~SqliteDatabase() { Close(); }

bool SqliteDatabase::Open(std::string_view path, bool read_only, std::string* error) {
  Close();
  const std::string native = platform::NativePath(path);
  if (native.empty()) {
    if (error) *error = "the path cannot be mapped: " + std::string(path);
    return false;
  }
  const int flags = read_only ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
  if (sqlite3_open_v2(native.c_str(), &db_, flags | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
    if (error) *error = db_ ? sqlite3_errmsg(db_) : "out of memory";
    Close();
    return false;
  }
  sqlite3_busy_timeout(db_, 5000);
  std::string pragma_error;
  if (!Execute("PRAGMA synchronous=NORMAL;", &pragma_error)) {
    if (error) *error = pragma_error;
    Close();
    return false;
  }
  return true;
}

void SqliteDatabase::Close() {
  EndRead();
  statements_.clear();
  if (db_) sqlite3_close(db_);
  db_ = nullptr;
}

bool SqliteDatabase::Execute(std::string_view sql, std::string* error) {
  char* message = nullptr;
  const std::string text(sql);
  if (!db_ || sqlite3_exec(db_, text.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    if (error) *error = message ? message : (db_ ? sqlite3_errmsg(db_) : "not open");
    sqlite3_free(message);
    return false;
  }
  return true;
}

SqliteStatement* SqliteDatabase::Prepare(std::string_view sql, std::string* error) {
  if (!db_) {
    if (error) *error = "not open";
    return nullptr;
  }
  if (auto it = statements_.find(sql); it != statements_.end()) {
    it->second->Reset();
    return it->second.get();
  }
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v3(db_, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                         &stmt, nullptr) != SQLITE_OK) {
    if (error) *error = sqlite3_errmsg(db_);
    return nullptr;
  }
  auto owned = std::make_unique<SqliteStatement>(db_, stmt);
  SqliteStatement* raw = owned.get();
  statements_.emplace(std::string(sql), std::move(owned));
  return raw;
}

bool SqliteDatabase::BeginRead() {
  if (in_read_) return true;
  in_read_ = Execute("BEGIN");
  return in_read_;
}

void SqliteDatabase::EndRead() {
  if (!in_read_) return;
  for (auto& [sql, stmt] : statements_) stmt->Reset();
  Execute("COMMIT");
  in_read_ = false;
}

std::string SqliteDatabase::LastError() const { return db_ ? sqlite3_errmsg(db_) : "not open"; }

}  // namespace tav
