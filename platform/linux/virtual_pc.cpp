#include "platform/linux/virtual_pc.h"

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/linux/registry_store.h"
#include "platform/linux/virtual_pc_setup.h"
#include "platform/text.h"

namespace tav::embedded {
extern const std::string_view DefaultMachineProfile;
}

namespace tav::platform::vpc {

namespace fs = std::filesystem;

namespace {

// Key ids are never reused (AUTOINCREMENT): a handle to a deleted key must
// keep answering "deleted" after new keys are made.
constexpr std::string_view kSchema = R"sql(
CREATE TABLE IF NOT EXISTS reg_keys(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  parent INTEGER NOT NULL,
  name TEXT NOT NULL,
  folded TEXT NOT NULL,
  last_write INTEGER NOT NULL DEFAULT 0,
  UNIQUE(parent, folded));
CREATE TABLE IF NOT EXISTS reg_values(
  key_id INTEGER NOT NULL,
  name TEXT NOT NULL,
  folded TEXT NOT NULL,
  type INTEGER NOT NULL,
  data BLOB NOT NULL,
  UNIQUE(key_id, folded));
CREATE TABLE IF NOT EXISTS atoms(
  id INTEGER PRIMARY KEY,
  folded TEXT NOT NULL UNIQUE,
  name TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS machine_state(
  name TEXT PRIMARY KEY,
  value TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS tasks(
  name TEXT NOT NULL,
  folded TEXT NOT NULL UNIQUE,
  command TEXT NOT NULL,
  schedule TEXT NOT NULL,
  start_time TEXT NOT NULL DEFAULT '',
  run_level TEXT NOT NULL DEFAULT 'LIMITED',
  created INTEGER NOT NULL);
-- The device tree's nodes; their Enum and Class keys are in the registry.
CREATE TABLE IF NOT EXISTS device_nodes(
  instance_id TEXT NOT NULL UNIQUE COLLATE NOCASE,
  ordinal INTEGER PRIMARY KEY,
  present INTEGER NOT NULL, status INTEGER NOT NULL, problem INTEGER NOT NULL,
  install_state INTEGER NOT NULL DEFAULT 0, physical_name TEXT NOT NULL DEFAULT '');
INSERT OR IGNORE INTO reg_keys(id, parent, name, folded) VALUES
  (1, 0, 'HKEY_CLASSES_ROOT', 'HKEY_CLASSES_ROOT'),
  (2, 0, 'HKEY_CURRENT_USER', 'HKEY_CURRENT_USER'),
  (3, 0, 'HKEY_LOCAL_MACHINE', 'HKEY_LOCAL_MACHINE'),
  (4, 0, 'HKEY_USERS', 'HKEY_USERS');
)sql";

std::mutex g_current_mutex;
// Read on every platform call, so without a lock once set. A PC that is
// replaced (tests switching machines) stays alive until the process ends:
// another thread may still be using it.
std::atomic<VirtualPc*> g_current{nullptr};
std::vector<std::unique_ptr<VirtualPc>>& Retired() {
  static std::vector<std::unique_ptr<VirtualPc>> retired;
  return retired;
}

[[noreturn]] void Fatal(const std::string& message) {
  std::fprintf(stderr, "tavrolin: virtual PC: %s\n", message.c_str());
  std::fflush(stderr);
  std::abort();
}

std::string JsonString(const nlohmann::json& j, const char* key, std::string fallback) {
  auto it = j.find(key);
  return (it != j.end() && it->is_string()) ? it->get<std::string>() : fallback;
}

template <typename T>
T JsonNumber(const nlohmann::json& j, const char* key, T fallback) {
  auto it = j.find(key);
  return (it != j.end() && it->is_number()) ? it->get<T>() : fallback;
}

bool JsonBool(const nlohmann::json& j, const char* key, bool fallback) {
  auto it = j.find(key);
  return (it != j.end() && it->is_boolean()) ? it->get<bool>() : fallback;
}

}  // namespace

bool Exec(sqlite3* db, std::string_view sql, std::string* error) {
  char* message = nullptr;
  const std::string text(sql);
  if (sqlite3_exec(db, text.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    if (error)
      *error = message ? message : "sqlite error";
    sqlite3_free(message);
    return false;
  }
  return true;
}

bool ParseMachineFacts(const nlohmann::json& profile, MachineFacts* f, std::string* error) {
  if (!profile.is_object()) {
    *error = "the profile is not a JSON object";
    return false;
  }
  const nlohmann::json os = profile.value("os", nlohmann::json::object());
  if (!os.is_object()) {
    *error = "the profile's \"os\" is not an object";
    return false;
  }
  f->os_name = JsonString(os, "name", "Windows 7 Professional");
  f->major = JsonNumber<uint32_t>(os, "major", 6);
  f->minor = JsonNumber<uint32_t>(os, "minor", 1);
  f->build = JsonNumber<uint32_t>(os, "build", 7601);
  f->service_pack = JsonNumber<uint16_t>(os, "service_pack", 0);
  f->version_available = JsonBool(os, "version_available", true);
  f->is_64bit = JsonBool(os, "64bit", true);
  f->has_wow64_call = JsonBool(os, "has_wow64_call", true);
  f->ui_language = JsonString(os, "ui_language", "English (United States)");
  f->ansi_code_page = JsonNumber<uint32_t>(os, "ansi_code_page", 1252);
  f->computer_name = JsonString(os, "computer_name", "TAVROLIN-PC");
  f->user_name = JsonString(os, "user_name", "User");
  f->total_memory = JsonNumber<uint64_t>(os, "total_memory_mb", 8192) << 20;
  f->time_zone_bias = JsonNumber<int32_t>(os, "time_zone_bias", 0);
  f->is_admin = JsonBool(os, "admin", true);
  f->manufacturer = JsonString(os, "manufacturer", "");
  f->model = JsonString(os, "model", "");
  f->windows_dir = JsonString(os, "windows_dir", "C:\\Windows");
  if (f->windows_dir.size() < 4 || !std::isalpha(static_cast<unsigned char>(f->windows_dir[0])) ||
      f->windows_dir[1] != ':' || f->windows_dir[2] != '\\') {
    *error = "the Windows folder must be a full path such as C:\\Windows";
    return false;
  }

  const std::string drive = f->windows_dir.substr(0, 2);
  const bool xp = f->major < 6;
  const std::string profiles = xp ? drive + "\\Documents and Settings" : drive + "\\Users";
  f->profile_dir = JsonString(os, "profile_dir", profiles + "\\" + f->user_name);
  f->app_data_dir = f->profile_dir + (xp ? "\\Application Data" : "\\AppData\\Roaming");
  f->local_app_data_dir =
      f->profile_dir + (xp ? "\\Local Settings\\Application Data" : "\\AppData\\Local");
  f->documents_dir = f->profile_dir + (xp ? "\\My Documents" : "\\Documents");
  f->common_app_data_dir =
      xp ? profiles + "\\All Users\\Application Data" : drive + "\\ProgramData";
  f->program_files_dir = drive + "\\Program Files";
  f->program_files_x86_dir = f->is_64bit ? drive + "\\Program Files (x86)" : "";
  const std::string product_folder =
      (f->is_64bit ? f->program_files_x86_dir : f->program_files_dir) + "\\Tavrolin";
  f->program_path = JsonString(profile.value("program", nlohmann::json::object()), "path",
                               product_folder + "\\Tavrolin.exe");

  const nlohmann::json locale = profile.value("locale", nlohmann::json::object());
  f->short_date = JsonString(locale, "short_date", "M/d/yyyy");
  f->long_date = JsonString(locale, "long_date", "dddd, MMMM d, yyyy");
  f->time_format = JsonString(locale, "time_format", "h:mm:ss tt");
  f->date_separator = JsonString(locale, "date_separator", "/");
  f->time_separator = JsonString(locale, "time_separator", ":");
  f->decimal_separator = JsonString(locale, "decimal_separator", ".");
  f->thousand_separator = JsonString(locale, "thousand_separator", ",");
  f->am = JsonString(locale, "am", "AM");
  f->pm = JsonString(locale, "pm", "PM");

  f->drives.clear();
  const nlohmann::json drives = profile.value("drives", nlohmann::json::array());
  for (const auto& d : drives) {
    const std::string letter = JsonString(d, "letter", "");
    if (letter.size() != 1 || !std::isalpha(static_cast<unsigned char>(letter[0]))) {
      *error = "a drive letter must be one letter";
      return false;
    }
    f->drives.push_back({AsciiUpper(letter[0]), JsonString(d, "device", "")});
  }
  if (f->drives.empty())
    f->drives.push_back({'C', "\\Device\\HarddiskVolume2"});
  return true;
}

VirtualPc& VirtualPc::Current() {
  if (VirtualPc* pc = g_current.load(std::memory_order_acquire))
    return *pc;
  std::lock_guard<std::mutex> lock(g_current_mutex);
  if (!g_current.load()) {
    std::string root;
    if (const char* env = std::getenv("TAVROLIN_MACHINE"); env && *env) {
      root = env;
    } else {
      root = DefaultRoot();
    }
    std::error_code ec;
    const bool exists = fs::exists(fs::path(root) / "machine.json", ec);
    std::string error;
    if (!exists) {
      const bool empty_or_missing = !fs::exists(root, ec) || fs::is_empty(root, ec);
      if (!empty_or_missing)
        Fatal(root + " is not a virtual PC (no machine.json)");
      if (!Create(root, DefaultProfile(), &error))
        Fatal(error);
    }
    auto pc = std::unique_ptr<VirtualPc>(new VirtualPc());
    if (!pc->Open(root, &error))
      Fatal(error);
    g_current.store(pc.get(), std::memory_order_release);
    Retired().push_back(std::move(pc));
  }
  return *g_current.load();
}

bool VirtualPc::Use(const std::string& root, std::string* error) {
  auto pc = std::unique_ptr<VirtualPc>(new VirtualPc());
  if (!pc->Open(root, error))
    return false;
  std::lock_guard<std::mutex> lock(g_current_mutex);
  g_current.store(pc.get(), std::memory_order_release);
  // Machines replaced twice ago can no longer be in use; free their files so
  // that a long test run does not run out of descriptors.
  for (size_t i = 0; i + 1 < Retired().size(); ++i)
    Retired()[i]->CloseDatabase();
  Retired().push_back(std::move(pc));
  return true;
}

std::string VirtualPc::DefaultRoot() {
  std::string base;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    base = std::string(home) + "/.local/share";
  } else {
    base = "/tmp";
  }
  return base + "/tavrolin/default-pc";
}

std::string_view VirtualPc::DefaultProfile() {
  return embedded::DefaultMachineProfile;
}

namespace {

// Removes what a failed creation made; the folder was empty or missing before.
void Undo(const std::string& root, bool folder_existed) {
  std::error_code ec;
  if (!folder_existed) {
    fs::remove_all(root, ec);
    return;
  }
  for (const auto& entry : fs::directory_iterator(root, ec))
    fs::remove_all(entry.path(), ec);
}

}  // namespace

bool VirtualPc::Create(const std::string& root, std::string_view profile_json, std::string* error) {
  nlohmann::json profile = nlohmann::json::parse(profile_json, nullptr, false);
  if (profile.is_discarded()) {
    *error = "the profile is not valid JSON";
    return false;
  }
  MachineFacts facts;
  if (!ParseMachineFacts(profile, &facts, error))
    return false;

  std::error_code ec;
  const bool folder_existed = fs::exists(root, ec);
  if (folder_existed && !fs::is_empty(root, ec)) {
    *error = root + " exists and is not empty";
    return false;
  }
  fs::create_directories(root, ec);
  if (ec) {
    *error = "cannot create " + root + ": " + ec.message();
    return false;
  }
  bool ok = false;
  try {
    ok = WriteAndSetUp(root, profile, error);
  } catch (const nlohmann::json::exception& e) {
    // A profile entry of the wrong type (a text where a number belongs).
    *error = std::string("the profile has a value of the wrong type: ") + e.what();
  }
  if (!ok)
    Undo(root, folder_existed);
  return ok;
}

bool VirtualPc::WriteAndSetUp(const std::string& root,
                              const nlohmann::json& profile,
                              std::string* error) {
  {
    std::ofstream out(fs::path(root) / "machine.json", std::ios::binary);
    out << profile.dump(2) << "\n";
    if (!out) {
      *error = "cannot write machine.json";
      return false;
    }
  }
  VirtualPc pc;
  if (!pc.Open(root, error))
    return false;
  return SetUpNewMachine(&pc, error);
}

bool VirtualPc::Open(const std::string& root, std::string* error) {
  std::error_code ec;
  root_ = fs::absolute(root, ec).lexically_normal().string();
  while (root_.size() > 1 && root_.back() == '/')
    root_.pop_back();
  std::ifstream in(fs::path(root_) / "machine.json", std::ios::binary);
  if (!in) {
    *error = root_ + " is not a virtual PC (no machine.json)";
    return false;
  }
  std::stringstream text;
  text << in.rdbuf();
  profile_ = nlohmann::json::parse(text.str(), nullptr, false);
  if (profile_.is_discarded()) {
    *error = root_ + "/machine.json is not valid JSON";
    return false;
  }
  if (!ParseMachineFacts(profile_, &facts_, error))
    return false;

  const std::string db_path = root_ + "/machine.db";
  if (sqlite3_open_v2(db_path.c_str(), &db_,
                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                      nullptr) != SQLITE_OK) {
    *error = "cannot open " + db_path + ": " + sqlite3_errmsg(db_);
    return false;
  }
  // Several processes (the program, the tool, installers) share the machine.
  sqlite3_busy_timeout(db_, 10000);
  if (!Exec(db_, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;", error))
    return false;
  std::string schema_error;
  if (!Exec(db_, kSchema, &schema_error)) {
    *error = "cannot set up " + db_path + ": " + schema_error;
    return false;
  }
  return true;
}

VirtualPc::~VirtualPc() {
  CloseDatabase();
}

void VirtualPc::CloseDatabase() {
  std::lock_guard<std::recursive_mutex> lock(db_mutex_);
  for (auto& [sql, stmt] : statements_)
    sqlite3_finalize(stmt);
  statements_.clear();
  if (db_)
    sqlite3_close(db_);
  db_ = nullptr;
}

sqlite3_stmt* VirtualPc::Statement(std::string_view sql) {
  std::lock_guard<std::recursive_mutex> lock(db_mutex_);
  for (auto& [text, stmt] : statements_) {
    if (text == sql) {
      sqlite3_reset(stmt);
      sqlite3_clear_bindings(stmt);
      return stmt;
    }
  }
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v3(db_, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                         &stmt, nullptr) != SQLITE_OK) {
    Fatal(std::string("bad statement: ") + sqlite3_errmsg(db_));
  }
  statements_.emplace_back(std::string(sql), stmt);
  return stmt;
}

std::string VirtualPc::DriveRoot(char letter) const {
  const char upper = AsciiUpper(letter);
  for (const Drive& d : facts_.drives) {
    if (d.letter == upper)
      return root_ + "/drives/" + std::string(1, upper);
  }
  return {};
}

std::string VirtualPc::RunFolder(std::string_view kind) const {
  const std::string folder = root_ + "/run/" + std::string(kind);
  std::error_code ec;
  fs::create_directories(folder, ec);
  return folder;
}

std::string VirtualPc::State(std::string_view name) const {
  std::lock_guard<std::recursive_mutex> lock(db_mutex_);
  sqlite3_stmt* stmt =
      const_cast<VirtualPc*>(this)->Statement("SELECT value FROM machine_state WHERE name=?1");
  sqlite3_bind_text(stmt, 1, name.data(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
  std::string value;
  if (sqlite3_step(stmt) == SQLITE_ROW) {
    value = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
  }
  sqlite3_reset(stmt);
  return value;
}

void VirtualPc::SetState(std::string_view name, std::string_view value) {
  std::lock_guard<std::recursive_mutex> lock(db_mutex_);
  sqlite3_stmt* stmt = Statement(
      "INSERT INTO machine_state(name, value) VALUES(?1, ?2) "
      "ON CONFLICT(name) DO UPDATE SET value=excluded.value");
  sqlite3_bind_text(stmt, 1, name.data(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
  sqlite3_bind_text(stmt, 2, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
  sqlite3_step(stmt);
  sqlite3_reset(stmt);
}

uint64_t VirtualPc::BootTimeMs() {
  std::lock_guard<std::recursive_mutex> lock(db_mutex_);
  if (boot_ms_ == 0) {
    const std::string boot = State("boot_time_ms");
    boot_ms_ = boot.empty() ? 1 : std::strtoull(boot.c_str(), nullptr, 10);
  }
  return boot_ms_;
}

void VirtualPc::SetBootTimeMs(uint64_t unix_ms) {
  std::lock_guard<std::recursive_mutex> lock(db_mutex_);
  SetState("boot_time_ms", std::to_string(unix_ms));
  boot_ms_ = unix_ms;
}

std::string ToolFolder() {
  if (const char* env = std::getenv("TAVROLIN_TOOLS"); env && *env)
    return env;
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  return ec ? std::string(".") : self.parent_path().string();
}

}  // namespace tav::platform::vpc
