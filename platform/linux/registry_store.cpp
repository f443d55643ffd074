#include "platform/linux/registry_store.h"

#include <chrono>

#include "platform/text.h"
#include "platform/win_errors.h"

namespace tav::platform::vpc {

namespace {

int64_t NowFileTime() {
  using namespace std::chrono;
  const auto since_epoch =
      duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
  return since_epoch * 10 + 116444736000000000LL;
}

void BindText(sqlite3_stmt* stmt, int index, std::string_view text) {
  sqlite3_bind_text(stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

std::string ColumnText(sqlite3_stmt* stmt, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
  return text ? std::string(text, sqlite3_column_bytes(stmt, column)) : std::string();
}

}  // namespace

std::vector<std::string_view> SplitRegistryPath(std::string_view path) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string_view::npos)
      end = path.size();
    if (end > start)
      parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

int64_t RegistryStore::RootId(RegRoot root) {
  switch (root) {
    case RegRoot::kClassesRoot:
      return 1;
    case RegRoot::kCurrentUser:
      return 2;
    case RegRoot::kLocalMachine:
      return 3;
    case RegRoot::kUsers:
      return 4;
  }
  return 3;
}

bool RegistryStore::RootOf(int64_t id, RegRoot* root) {
  std::lock_guard<std::recursive_mutex> lock(pc_.db_mutex());
  for (int guard = 0; guard < 512 && id > 4; ++guard) {
    sqlite3_stmt* stmt = pc_.Statement("SELECT parent FROM reg_keys WHERE id=?1");
    sqlite3_bind_int64(stmt, 1, id);
    if (sqlite3_step(stmt) != SQLITE_ROW) {
      sqlite3_reset(stmt);
      return false;
    }
    id = sqlite3_column_int64(stmt, 0);
    sqlite3_reset(stmt);
  }
  switch (id) {
    case 1:
      *root = RegRoot::kClassesRoot;
      return true;
    case 2:
      *root = RegRoot::kCurrentUser;
      return true;
    case 3:
      *root = RegRoot::kLocalMachine;
      return true;
    case 4:
      *root = RegRoot::kUsers;
      return true;
    default:
      return false;
  }
}

bool RegistryStore::KeyExists(int64_t id) {
  std::lock_guard<std::recursive_mutex> lock(pc_.db_mutex());
  sqlite3_stmt* stmt = pc_.Statement("SELECT 1 FROM reg_keys WHERE id=?1");
  sqlite3_bind_int64(stmt, 1, id);
  const bool found = sqlite3_step(stmt) == SQLITE_ROW;
  sqlite3_reset(stmt);
  return found;
}

RegistryStore::ReadScope::ReadScope(RegistryStore& store)
    : pc_(store.pc_), lock_(store.pc_.db_mutex()) {
  if (!sqlite3_get_autocommit(pc_.db()))
    return;
  sqlite3_stmt* begin = pc_.Statement("BEGIN");
  began_ = sqlite3_step(begin) == SQLITE_DONE;
  sqlite3_reset(begin);
}

RegistryStore::ReadScope::~ReadScope() {
  if (!began_)
    return;
  sqlite3_stmt* commit = pc_.Statement("COMMIT");
  sqlite3_step(commit);
  sqlite3_reset(commit);
}

int32_t RegistryStore::FindKey(int64_t from, std::string_view path, int64_t* id) {
  ReadScope scope(*this);
  if (!KeyExists(from))
    return win_error::kKeyDeleted;
  int64_t current = from;
  for (std::string_view part : SplitRegistryPath(path)) {
    sqlite3_stmt* stmt = pc_.Statement("SELECT id FROM reg_keys WHERE parent=?1 AND folded=?2");
    sqlite3_bind_int64(stmt, 1, current);
    BindText(stmt, 2, FoldCase(part));
    const bool found = sqlite3_step(stmt) == SQLITE_ROW;
    if (found)
      current = sqlite3_column_int64(stmt, 0);
    sqlite3_reset(stmt);
    if (!found)
      return win_error::kFileNotFound;
  }
  *id = current;
  return win_error::kSuccess;
}

int32_t RegistryStore::CreateKey(int64_t from, std::string_view path, int64_t* id, bool* created) {
  std::lock_guard<std::recursive_mutex> lock(pc_.db_mutex());
  if (!KeyExists(from))
    return win_error::kKeyDeleted;
  if (created)
    *created = false;
  Begin();
  int64_t current = from;
  for (std::string_view part : SplitRegistryPath(path)) {
    if (part.size() > 255) {
      Rollback();
      return win_error::kInvalidParameter;
    }
    const std::string folded = FoldCase(part);
    sqlite3_stmt* find = pc_.Statement("SELECT id FROM reg_keys WHERE parent=?1 AND folded=?2");
    sqlite3_bind_int64(find, 1, current);
    BindText(find, 2, folded);
    const bool found = sqlite3_step(find) == SQLITE_ROW;
    const int64_t found_id = found ? sqlite3_column_int64(find, 0) : 0;
    sqlite3_reset(find);
    if (found) {
      current = found_id;
      continue;
    }
    sqlite3_stmt* insert = pc_.Statement(
        "INSERT INTO reg_keys(parent, name, folded, last_write) VALUES(?1, ?2, ?3, ?4)");
    sqlite3_bind_int64(insert, 1, current);
    BindText(insert, 2, part);
    BindText(insert, 3, folded);
    sqlite3_bind_int64(insert, 4, NowFileTime());
    const int rc = sqlite3_step(insert);
    sqlite3_reset(insert);
    if (rc != SQLITE_DONE) {
      Rollback();
      return win_error::kWriteFault;
    }
    current = sqlite3_last_insert_rowid(pc_.db());
    if (created)
      *created = true;
  }
  Commit();
  *id = current;
  return win_error::kSuccess;
}

int32_t RegistryStore::GetValue(int64_t key, std::string_view name, RegValue* value) {
  std::lock_guard<std::recursive_mutex> lock(pc_.db_mutex());
  sqlite3_stmt* stmt =
      pc_.Statement("SELECT type, data FROM reg_values WHERE key_id=?1 AND folded=?2");
  sqlite3_bind_int64(stmt, 1, key);
  BindText(stmt, 2, FoldCase(name));
  int32_t result = win_error::kFileNotFound;
  if (sqlite3_step(stmt) == SQLITE_ROW) {
    value->type = static_cast<RegType>(sqlite3_column_int64(stmt, 0));
    const auto* data = static_cast<const uint8_t*>(sqlite3_column_blob(stmt, 1));
    value->data.assign(data, data + sqlite3_column_bytes(stmt, 1));
    result = win_error::kSuccess;
  }
  sqlite3_reset(stmt);
  // A value exists only in an existing key, so the key is looked up only
  // when the value was not found.
  if (result != win_error::kSuccess && !KeyExists(key))
    return win_error::kKeyDeleted;
  return result;
}

int32_t RegistryStore::SetValue(int64_t key, std::string_view name, const RegValue& value) {
  std::lock_guard<std::recursive_mutex> lock(pc_.db_mutex());
  if (!KeyExists(key))
    return win_error::kKeyDeleted;
  // An update keeps the value's place in the enumeration, as on Windows.
  sqlite3_stmt* stmt = pc_.Statement(
      "INSERT INTO reg_values(key_id, name, folded, type, data) VALUES(?1, ?2, ?3, ?4, ?5) "
      "ON CONFLICT(key_id, folded) DO UPDATE SET type=excluded.type, data=excluded.data");
  sqlite3_bind_int64(stmt, 1, key);
  BindText(stmt, 2, name);
  BindText(stmt, 3, FoldCase(name));
  sqlite3_bind_int64(stmt, 4, static_cast<int64_t>(value.type));
  sqlite3_bind_blob(stmt, 5, value.data.empty() ? "" : static_cast<const void*>(value.data.data()),
                    static_cast<int>(value.data.size()), SQLITE_TRANSIENT);
  const int rc = sqlite3_step(stmt);
  sqlite3_reset(stmt);
  if (rc != SQLITE_DONE)
    return win_error::kWriteFault;
  sqlite3_stmt* touch = pc_.Statement("UPDATE reg_keys SET last_write=?2 WHERE id=?1");
  sqlite3_bind_int64(touch, 1, key);
  sqlite3_bind_int64(touch, 2, NowFileTime());
  sqlite3_step(touch);
  sqlite3_reset(touch);
  return win_error::kSuccess;
}

int32_t RegistryStore::DeleteValue(int64_t key, std::string_view name) {
  std::lock_guard<std::recursive_mutex> lock(pc_.db_mutex());
  if (!KeyExists(key))
    return win_error::kKeyDeleted;
  sqlite3_stmt* stmt = pc_.Statement("DELETE FROM reg_values WHERE key_id=?1 AND folded=?2");
  sqlite3_bind_int64(stmt, 1, key);
  BindText(stmt, 2, FoldCase(name));
  sqlite3_step(stmt);
  sqlite3_reset(stmt);
  return sqlite3_changes(pc_.db()) > 0 ? win_error::kSuccess : win_error::kFileNotFound;
}

int32_t RegistryStore::SubKeys(int64_t key, std::vector<std::pair<int64_t, std::string>>* keys) {
  std::lock_guard<std::recursive_mutex> lock(pc_.db_mutex());
  keys->clear();
  if (!KeyExists(key))
    return win_error::kKeyDeleted;
  sqlite3_stmt* stmt = pc_.Statement("SELECT id, name FROM reg_keys WHERE parent=?1 ORDER BY id");
  sqlite3_bind_int64(stmt, 1, key);
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    keys->emplace_back(sqlite3_column_int64(stmt, 0), ColumnText(stmt, 1));
  }
  sqlite3_reset(stmt);
  return win_error::kSuccess;
}

int32_t RegistryStore::SubKeyNames(int64_t key, std::vector<std::string>* names) {
  std::vector<std::pair<int64_t, std::string>> keys;
  const int32_t rc = SubKeys(key, &keys);
  names->clear();
  for (auto& k : keys)
    names->push_back(std::move(k.second));
  return rc;
}

int32_t RegistryStore::Values(int64_t key, std::vector<std::pair<std::string, RegValue>>* values) {
  std::lock_guard<std::recursive_mutex> lock(pc_.db_mutex());
  values->clear();
  if (!KeyExists(key))
    return win_error::kKeyDeleted;
  sqlite3_stmt* stmt =
      pc_.Statement("SELECT name, type, data FROM reg_values WHERE key_id=?1 ORDER BY rowid");
  sqlite3_bind_int64(stmt, 1, key);
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    RegValue v;
    v.type = static_cast<RegType>(sqlite3_column_int64(stmt, 1));
    const auto* data = static_cast<const uint8_t*>(sqlite3_column_blob(stmt, 2));
    v.data.assign(data, data + sqlite3_column_bytes(stmt, 2));
    values->emplace_back(ColumnText(stmt, 0), std::move(v));
  }
  sqlite3_reset(stmt);
  return win_error::kSuccess;
}

int32_t RegistryStore::ValueNames(int64_t key, std::vector<std::string>* names) {
  std::lock_guard<std::recursive_mutex> lock(pc_.db_mutex());
  names->clear();
  if (!KeyExists(key))
    return win_error::kKeyDeleted;
  sqlite3_stmt* stmt = pc_.Statement("SELECT name FROM reg_values WHERE key_id=?1 ORDER BY rowid");
  sqlite3_bind_int64(stmt, 1, key);
  while (sqlite3_step(stmt) == SQLITE_ROW)
    names->push_back(ColumnText(stmt, 0));
  sqlite3_reset(stmt);
  return win_error::kSuccess;
}

int32_t RegistryStore::DeleteLeafKey(int64_t key) {
  std::lock_guard<std::recursive_mutex> lock(pc_.db_mutex());
  if (key <= 4)
    return win_error::kAccessDenied;
  std::vector<std::pair<int64_t, std::string>> children;
  const int32_t rc = SubKeys(key, &children);
  if (rc != win_error::kSuccess)
    return rc;
  if (!children.empty())
    return win_error::kAccessDenied;  // as RegDeleteKey answers
  return DeleteTree(key, true);
}

int32_t RegistryStore::DeleteTree(int64_t key, bool include_self) {
  std::lock_guard<std::recursive_mutex> lock(pc_.db_mutex());
  if (!KeyExists(key))
    return win_error::kKeyDeleted;
  if (include_self && key <= 4)
    return win_error::kAccessDenied;
  Begin();
  sqlite3_stmt* values = pc_.Statement(
      "WITH RECURSIVE sub(id) AS (SELECT ?1 UNION ALL "
      "SELECT k.id FROM reg_keys k JOIN sub ON k.parent = sub.id) "
      "DELETE FROM reg_values WHERE key_id IN sub");
  sqlite3_bind_int64(values, 1, key);
  sqlite3_step(values);
  sqlite3_reset(values);
  sqlite3_stmt* keys = pc_.Statement(
      "WITH RECURSIVE sub(id) AS (SELECT ?1 UNION ALL "
      "SELECT k.id FROM reg_keys k JOIN sub ON k.parent = sub.id) "
      "DELETE FROM reg_keys WHERE id IN sub AND (id <> ?1 OR ?2)");
  sqlite3_bind_int64(keys, 1, key);
  sqlite3_bind_int(keys, 2, include_self ? 1 : 0);
  const int rc = sqlite3_step(keys);
  sqlite3_reset(keys);
  if (rc != SQLITE_DONE) {
    Rollback();
    return win_error::kWriteFault;
  }
  Commit();
  return win_error::kSuccess;
}

std::string RegistryStore::KeyName(int64_t key) {
  std::lock_guard<std::recursive_mutex> lock(pc_.db_mutex());
  sqlite3_stmt* stmt = pc_.Statement("SELECT name FROM reg_keys WHERE id=?1");
  sqlite3_bind_int64(stmt, 1, key);
  std::string name;
  if (sqlite3_step(stmt) == SQLITE_ROW)
    name = ColumnText(stmt, 0);
  sqlite3_reset(stmt);
  return name;
}

std::string RegistryStore::KeyPath(int64_t key) {
  std::lock_guard<std::recursive_mutex> lock(pc_.db_mutex());
  std::vector<std::string> parts;
  for (int guard = 0; guard < 512 && key != 0; ++guard) {
    sqlite3_stmt* stmt = pc_.Statement("SELECT parent, name FROM reg_keys WHERE id=?1");
    sqlite3_bind_int64(stmt, 1, key);
    if (sqlite3_step(stmt) != SQLITE_ROW) {
      sqlite3_reset(stmt);
      break;
    }
    key = sqlite3_column_int64(stmt, 0);
    parts.push_back(ColumnText(stmt, 1));
    sqlite3_reset(stmt);
  }
  std::string path;
  for (auto it = parts.rbegin(); it != parts.rend(); ++it) {
    if (!path.empty())
      path += '\\';
    path += *it;
  }
  return path;
}

bool RegistryStore::WriteAllowed(RegRoot root) const {
  if (root == RegRoot::kLocalMachine || root == RegRoot::kClassesRoot) {
    return pc_.facts().is_admin;
  }
  return true;
}

void RegistryStore::Begin() {
  std::lock_guard<std::recursive_mutex> lock(pc_.db_mutex());
  if (pc_.transaction_depth()++ == 0)
    Exec(pc_.db(), "BEGIN IMMEDIATE");
}

void RegistryStore::Commit() {
  std::lock_guard<std::recursive_mutex> lock(pc_.db_mutex());
  if (pc_.transaction_depth() > 0 && --pc_.transaction_depth() == 0)
    Exec(pc_.db(), "COMMIT");
}

void RegistryStore::Rollback() {
  std::lock_guard<std::recursive_mutex> lock(pc_.db_mutex());
  if (pc_.transaction_depth() > 0 && --pc_.transaction_depth() == 0)
    Exec(pc_.db(), "ROLLBACK");
}

}  // namespace tav::platform::vpc
