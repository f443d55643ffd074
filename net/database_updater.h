// The driver database updater: decides whether the local database must be
// (re)placed, and when so downloads "Drivers.7z" from the service on a worker
// thread, checks its MD5, unpacks it, puts the database in place and builds
// its indexes. The previous database waits as a ".prev" file meanwhile and is
// put back when the update fails.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/date_time.h"

namespace tav {

enum UpdateCode : int {
  kUpdateProgress = 0,   // bytes so far of the archive and its size (0, 0 before the thread starts)
  kUpdateVerified = 1,   // downloaded and checked; unpacking and installing begin
  kUpdateCancelled = 2,
  kUpdateFailed = 3,     // no database was put in place
  kUpdateFinished = 4,   // a database is in place (the new one, or the previous one again)
};

// Always called on the main thread; setting *cancel stops the update.
using UpdateCallback = std::function<void(int code, int32_t position, int32_t total, bool* cancel)>;

// Starts the update thread when an update is needed; true means the callback
// will get codes until 2, 3 or 4. *db_exists tells whether a database file
// was there when the call began. Main thread.
bool UpdateDriverBases(bool* db_exists, UpdateCallback callback);

// Whether the service has a database at least 2 days newer than this date;
// asked only for a database 10 days old or more, at most once in 7 days.
bool IsThereBaseUpdate(DateTime database_date);

bool IsUpdating();
// Waits (serving the main thread) until the update thread has ended.
bool WaitForUpdateThread(uint32_t timeout_ms);

// "settings.ini" of the core work folder, section "general".
std::string UpdaterSettingsPath();

// Forgets that this process already updated (tests).
void ResetUpdaterState();

class TUpdateThread {
 public:
  explicit TUpdateThread(UpdateCallback callback);
  void Execute();
  bool DownloadDataBase();
  static bool CheckDatabaseMD5(const std::string& expected, const std::string& file);

 private:
  bool ShouldStop() const;
  void Report(int code, int32_t position, int32_t total);
  bool DownloadArchive(const std::string& host, const std::string& path, const std::string& md5);

  UpdateCallback callback_;
  bool cancel_ = false;
  int32_t last_total_ = 0;
  int32_t last_position_ = 0;
};

}  // namespace tav
