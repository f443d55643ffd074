#include "tools/vpc/task_store.h"

#include "platform/text.h"

namespace tav::vpc_tool {

namespace {

void Bind(sqlite3_stmt* stmt, int index, std::string_view text) {
  sqlite3_bind_text(stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

std::string Column(sqlite3_stmt* stmt, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
  return text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(stmt, column))) : "";
}

ScheduledTask Row(sqlite3_stmt* stmt) {
  ScheduledTask t;
  t.name = Column(stmt, 0);
  t.command = Column(stmt, 1);
  t.schedule = Column(stmt, 2);
  t.start_time = Column(stmt, 3);
  t.run_level = Column(stmt, 4);
  t.created = static_cast<uint64_t>(sqlite3_column_int64(stmt, 5));
  return t;
}

constexpr const char* kColumns = "name, command, schedule, start_time, run_level, created";

}  // namespace

bool TaskStore::Find(std::string_view name, ScheduledTask* task) {
  std::lock_guard<std::recursive_mutex> lock(pc_.db_mutex());
  sqlite3_stmt* stmt =
      pc_.Statement(std::string("SELECT ") + kColumns + " FROM tasks WHERE folded=?1");
  Bind(stmt, 1, FoldCase(name));
  const bool found = sqlite3_step(stmt) == SQLITE_ROW;
  if (found)
    *task = Row(stmt);
  sqlite3_reset(stmt);
  return found;
}

std::vector<ScheduledTask> TaskStore::All() {
  std::lock_guard<std::recursive_mutex> lock(pc_.db_mutex());
  sqlite3_stmt* stmt =
      pc_.Statement(std::string("SELECT ") + kColumns + " FROM tasks ORDER BY folded");
  std::vector<ScheduledTask> tasks;
  while (sqlite3_step(stmt) == SQLITE_ROW)
    tasks.push_back(Row(stmt));
  sqlite3_reset(stmt);
  return tasks;
}

bool TaskStore::Save(const ScheduledTask& task, bool replace) {
  std::lock_guard<std::recursive_mutex> lock(pc_.db_mutex());
  // One statement, so that two programs creating the same task cannot both
  // be told it was new.
  sqlite3_stmt* stmt = pc_.Statement(
      replace ? "INSERT INTO tasks(name, folded, command, schedule, start_time, run_level, "
                "created) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7) ON CONFLICT(folded) DO UPDATE SET "
                "name=excluded.name, command=excluded.command, schedule=excluded.schedule, "
                "start_time=excluded.start_time, run_level=excluded.run_level, "
                "created=excluded.created"
              : "INSERT OR IGNORE INTO tasks(name, folded, command, schedule, start_time, "
                "run_level, created) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7)");
  Bind(stmt, 1, task.name);
  Bind(stmt, 2, FoldCase(task.name));
  Bind(stmt, 3, task.command);
  Bind(stmt, 4, task.schedule);
  Bind(stmt, 5, task.start_time);
  Bind(stmt, 6, task.run_level);
  sqlite3_bind_int64(stmt, 7, static_cast<int64_t>(task.created));
  const bool done = sqlite3_step(stmt) == SQLITE_DONE;
  sqlite3_reset(stmt);
  return done && sqlite3_changes(pc_.db()) > 0;
}

bool TaskStore::Remove(std::string_view name) {
  std::lock_guard<std::recursive_mutex> lock(pc_.db_mutex());
  sqlite3_stmt* stmt = pc_.Statement("DELETE FROM tasks WHERE folded=?1");
  Bind(stmt, 1, FoldCase(name));
  sqlite3_step(stmt);
  sqlite3_reset(stmt);
  return sqlite3_changes(pc_.db()) > 0;
}

void TaskStore::RemoveAll() {
  std::lock_guard<std::recursive_mutex> lock(pc_.db_mutex());
  sqlite3_stmt* stmt = pc_.Statement("DELETE FROM tasks");
  sqlite3_step(stmt);
  sqlite3_reset(stmt);
}

}  // namespace tav::vpc_tool
