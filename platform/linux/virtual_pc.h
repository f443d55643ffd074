// The virtual PC: a folder that holds a simulated Windows machine, on which
// the Linux implementation of every platform interface works.
//
//   machine.json   the machine's profile (OS facts, drives, locale, ...)
//   machine.db     SQLite: the registry, registered message names, machine
//                  state (boot time)
//   drives/C/...   the drives, each a folder (Windows, Program Files, Users)
//   run/           mutexes, windows and processes of the running programs
//
// The process works on one virtual PC at a time: the one named by the
// environment variable TAVROLIN_MACHINE, or else the default PC under the
// user's data folder, created on first use from the bundled profile.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace tav::platform::vpc {

struct Drive {
  char letter = 'C';
  std::string device;  // "\Device\HarddiskVolume2"
};

// The profile facts the platform needs, read once from machine.json.
struct MachineFacts {
  std::string os_name;
  uint32_t major = 6, minor = 1, build = 7601;
  uint16_t service_pack = 1;
  bool version_available = true;
  bool is_64bit = true;       // the Windows is 64-bit; the program then runs under WOW64
  bool has_wow64_call = true;  // IsWow64Process exists (not on XP before SP2)
  std::string ui_language = "English (United States)";
  uint32_t ansi_code_page = 1252;
  std::string computer_name = "TAVROLIN-PC";
  std::string user_name = "User";
  uint64_t total_memory = 8ull << 30;
  int32_t time_zone_bias = 0;
  bool is_admin = true;
  std::string manufacturer, model;
  std::string windows_dir = "C:\\Windows";
  std::string profile_dir;     // C:\Users\<user>
  std::string app_data_dir;    // roaming
  std::string local_app_data_dir;
  std::string documents_dir;
  std::string program_files_dir;      // native program files
  std::string program_files_x86_dir;  // empty on 32-bit Windows
  std::string common_app_data_dir;
  std::string program_path;  // the Windows path of the product's executable
  std::vector<Drive> drives;
  // Locale, in Windows pattern syntax.
  std::string short_date = "M/d/yyyy", time_format = "h:mm:ss tt", long_date;
  std::string date_separator = "/", time_separator = ":", decimal_separator = ".",
              thousand_separator = ",", am = "AM", pm = "PM";
};

class VirtualPc {
 public:
  // The PC of this process (opened, or created as the default, on first use).
  // Aborts with a message when it cannot be opened: nothing works without it.
  static VirtualPc& Current();
  // Switches this process to the PC at root (tests, tools). False with a
  // reason when it is not a virtual PC.
  static bool Use(const std::string& root, std::string* error);
  // Creates a PC at root from a profile (JSON text). The folder must be empty
  // or missing.
  static bool Create(const std::string& root, std::string_view profile_json, std::string* error);
  // The root of the default PC and the profile it is created from.
  static std::string DefaultRoot();
  static std::string_view DefaultProfile();

  const std::string& root() const { return root_; }
  const MachineFacts& facts() const { return facts_; }
  const nlohmann::json& profile() const { return profile_; }

  // The machine database; every use holds db_mutex() (statements are shared).
  sqlite3* db() const { return db_; }
  std::recursive_mutex& db_mutex() const { return db_mutex_; }
  // A prepared statement kept for the life of the PC object.
  sqlite3_stmt* Statement(std::string_view sql);
  // Depth of nested registry transactions on this connection (db_mutex held).
  int& transaction_depth() { return transaction_depth_; }

  // Host folder of a drive letter; empty when the PC has no such drive.
  std::string DriveRoot(char letter) const;
  // The folder for run-time objects of a kind ("mutex", "windows", ...).
  std::string RunFolder(std::string_view kind) const;

  // When the PC last booted (Unix milliseconds); read once per process.
  uint64_t BootTimeMs();
  // Boots the PC anew: the tick count starts again from 0.
  void SetBootTimeMs(uint64_t unix_ms);

  // Machine state kept in the database.
  std::string State(std::string_view name) const;
  void SetState(std::string_view name, std::string_view value);

  ~VirtualPc();
  void CloseDatabase();

 private:
  VirtualPc() = default;
  bool Open(const std::string& root, std::string* error);
  static bool WriteAndSetUp(const std::string& root,
                            const nlohmann::json& profile,
                            std::string* error);

  std::string root_;
  nlohmann::json profile_;
  MachineFacts facts_;
  sqlite3* db_ = nullptr;
  mutable std::recursive_mutex db_mutex_;
  int transaction_depth_ = 0;
  uint64_t boot_ms_ = 0;
  std::vector<std::pair<std::string, sqlite3_stmt*>> statements_;
};

// Runs one SQL text (several statements allowed); false with the SQLite error.
bool Exec(sqlite3* db, std::string_view sql, std::string* error = nullptr);

// The host folder of the tools that come with the program (tavrolin-vpc), by
// default the folder of the running executable.
std::string ToolFolder();

}  // namespace tav::platform::vpc
