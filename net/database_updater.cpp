#include "net/database_updater.h"

#include <atomic>
#include <thread>

#include "core/archive.h"
#include "core/crash_reporter.h"
#include "core/file_utils.h"
#include "core/folders.h"
#include "core/format_settings.h"
#include "core/ini_file.h"
#include "core/log_engine.h"
#include "core/main_thread.h"
#include "core/md5.h"
#include "core/process_flags.h"
#include "core/settings.h"
#include "core/text_utils.h"
#include "devices/device_dates.h"
#include "matching/driver_database.h"
#include "net/internet.h"
#include "net/progress_throttle.h"
#include "net/service_hosts.h"
#include "platform/clock.h"
#include "platform/file_system.h"

namespace tav {

namespace {

// Written on the main thread only (the reports run there).
bool g_updating = false;
bool g_updated_this_run = false;
std::atomic<int> g_threads{0};

constexpr int32_t kTimeoutMs = 5000;
constexpr std::string_view kDatabaseFragment = "\"ok\":1,\"error\":0,\"url\":\"";

std::string Work(std::string_view name) { return GetFolders().core_work + std::string(name); }

DateTime ReadLastUpdate(const TMemIniFile& settings) {
  return settings.ReadDate("general", "LastUpdate", 0, UserFormatSettings());
}

void SaveSettings(const TMemIniFile& settings, const char* routine, const char* first,
                  const char* second) {
  if (settings.UpdateFile()) return;
  XLog::Log(routine, std::string(first) + settings.FileName());
  platform::Sleep(1000);
  if (!settings.UpdateFile()) XLog::Error(routine, second, 0, settings.FileName());
}

// The text after a fragment up to the next double quote.
std::string After(const std::string& text, std::string_view fragment) {
  const size_t at = text.find(fragment);
  if (at == std::string::npos) return {};
  const size_t start = at + fragment.size();
  const size_t end = text.find('"', start);
  return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

bool ReadDatabaseDate(const std::string& path, DateTime* date, bool* found) {
  SqliteDatabase db;
  std::string error;
  if (!db.Open(path, true, &error)) {
    XLog::Error("UpdateDriverBases", "TSQLiteDatabase.Create failed: " + error);
    XLog::Error("UpdateDriverBases", "Wrong database", 0, error);
    return false;
  }
  SqliteStatement* stmt = db.Prepare(driver_sql::kSetting, &error);
  if (!stmt) {
    XLog::Error("UpdateDriverBases", "sldb.GetTable fail");
    XLog::Error("UpdateDriverBases", "Wrong database", 0, error);
    return false;
  }
  stmt->Bind(1, "date");
  *found = stmt->Step();
  if (*found) *date = TextToDate(Trim(stmt->Text("value")), true);
  if (!stmt->ok()) {
    XLog::Error("UpdateDriverBases", "sldb.GetTable fail");
    XLog::Error("UpdateDriverBases", "Wrong database", 0, db.LastError());
    return false;
  }
  return true;
}

}  // namespace

std::string UpdaterSettingsPath() { return Work("settings.ini"); }

bool IsThereBaseUpdate(DateTime database_date) {
  constexpr const char* kRoutine = "IsThereBaseUpdate";
  const DateTime now = Now();
  if (now - database_date < 10) return false;
  XLog::Log(kRoutine, "Old database: checking");
  const TFormatSettings user = UserFormatSettings();
  TMemIniFile settings(UpdaterSettingsPath());
  const DateTime last_update = ReadLastUpdate(settings);
  bool found_new = false;
  if (now - last_update < 7) {
    XLog::Log(kRoutine, "Recently checked. Skip: " + DateToStr(last_update, user));
  } else {
    std::vector<std::string> lines;
    if (!XInternet::LoadInternetPage(kServiceAgent, ServiceHost(), "/rpc/getlastupdatecxw", kTimeoutMs,
                                     {}, false, &lines)) {
      XLog::Error(kRoutine, "Fail get info about update");
    } else if (lines.empty() || lines[0].find("date") == std::string::npos) {
      XLog::Error(kRoutine, "Date not found", 0, Join(lines, "\r\n"));
    } else {
      const std::string text = lines[0].substr(lines[0].find("date") + 7, 10);
      const DateTime service_date = TextToDate(text, true);
      if (service_date == 0) {
        XLog::Error(kRoutine, "LastUpdate broken", 0, Join(lines, "\r\n"));
      } else {
        settings.WriteDate("general", "LastUpdate", DatePart(now), user);
        if (service_date - database_date >= 2) {
          XLog::Log(kRoutine, "Found new: " + DateToStr(database_date, user) + " -> " +
                                  DateToStr(service_date, user));
          found_new = true;
        } else {
          XLog::Log(kRoutine, "Up-to-date");
        }
      }
    }
  }
  SaveSettings(settings, kRoutine, "Ini.UpdateFile: ", "Ini.UpdateFile 2");
  return found_new;
}

bool UpdateDriverBases(bool* db_exists, UpdateCallback callback) {
  constexpr const char* kRoutine = "UpdateDriverBases";
  if (g_updating) {
    XLog::Error(kRoutine, "Already updating", 0, "UpdateDriverBases: Already updating");
    return false;
  }
  const std::string path = DefaultDatabasePath();
  *db_exists = platform::FileExists(path);
  bool need_update = !*db_exists;
  if (!*db_exists) XLog::Log(kRoutine, "No database: Update requires " + path);
  if (*db_exists) {
    DateTime date = 0;
    bool found = false;
    if (!ReadDatabaseDate(path, &date, &found)) {
      need_update = true;
    } else if (!found) {
      XLog::Log(kRoutine, "sltb.Count = 0: Update requires");
      need_update = true;
    } else if (IsThereBaseUpdate(date)) {
      XLog::Log(kRoutine, "There is new database: " + DateToText(date, true) + " - " +
                              DateToStr(date, UserFormatSettings()));
      need_update = true;
    }
  }
  if (g_updated_this_run && *db_exists) return false;
  if (!need_update && QuickCheckDatabase()) return false;
  XLog::Log(kRoutine, "Update requires");
  bool cancel = false;
  callback(kUpdateProgress, 0, 0, &cancel);
  if (cancel) {
    bool ignored = false;
    callback(kUpdateCancelled, 0, 0, &ignored);
    return false;
  }
  g_updating = true;
  g_updated_this_run = true;
  if (platform::FileExists(path)) {
    const std::string prev = path + ".prev";
    if (!XFile::DeleteFile(prev)) XLog::Error(kRoutine, "DeleteFile fail", 0, prev);
    int32_t error = 0;
    if (!platform::MoveFile(path, prev, false, &error)) XLog::Error(kRoutine, "RenameFile fail", error, path);
  }
  ++g_threads;
  std::thread([callback = std::move(callback)] {
    TUpdateThread thread(callback);
    thread.Execute();
    --g_threads;
  }).detach();
  return true;
}

bool IsUpdating() { return g_updating; }

bool WaitForUpdateThread(uint32_t timeout_ms) {
  for (uint32_t waited = 0; g_threads > 0; waited += 10) {
    if (waited >= timeout_ms) return false;
    MainThread::ProcessPending(10);
  }
  return true;
}

void ResetUpdaterState() {
  g_updating = false;
  g_updated_this_run = false;
}

TUpdateThread::TUpdateThread(UpdateCallback callback) : callback_(std::move(callback)) {}

bool TUpdateThread::ShouldStop() const {
  return IsApplicationTerminated() || IsStopping() || cancel_;
}

void TUpdateThread::Report(int code, int32_t position, int32_t total) {
  last_position_ = position;
  last_total_ = total;
  MainThread::Synchronize([&] {
    if (code == kUpdateCancelled || code == kUpdateFailed || code == kUpdateFinished) g_updating = false;
    callback_(code, position, total, &cancel_);
  });
}

bool TUpdateThread::CheckDatabaseMD5(const std::string& expected, const std::string& file) {
  constexpr const char* kRoutine = "TUpdateThread.CheckDatabaseMD5";
  if (expected.empty()) {
    XLog::Error(kRoutine, "BaseMd5 empty");
    return true;
  }
  Md5Digest digest;
  if (!MD5File(file, &digest)) {
    platform::Sleep(1000);
    if (!MD5File(file, &digest)) digest.fill(0);
  }
  const std::string computed = MD5DigestToHex(digest);
  if (computed == expected) return true;
  XLog::Error(kRoutine, "Fail", 0, computed + " " + expected);
  if (!XFile::DeleteFile(file)) XLog::Error(kRoutine, "Delete fail", 0, file);
  return false;
}

bool TUpdateThread::DownloadArchive(const std::string& host, const std::string& path,
                                    const std::string& md5) {
  constexpr const char* kRoutine = "TUpdateThread.DownloadDataBase";
  const std::string archive = Work("Drivers.7z");
  ProgressThrottle throttle;
  const TransferProgress progress = [&](int32_t position, int32_t total) {
    if (throttle.ShouldReport(position, total)) Report(kUpdateProgress, position, total);
    return !ShouldStop();
  };
  for (int attempt = 1; attempt <= 3; ++attempt) {
    if (!XInternet::LoadInternetFile(kServiceAgent, host, path, kTimeoutMs, progress, false, archive)) {
      XLog::Error(kRoutine, "Cannot download Drivers, Attempt " + std::to_string(attempt), 0, archive);
      if (ShouldStop()) {
        Report(kUpdateCancelled, 0, 0);
        return false;
      }
      if (attempt < 3) platform::Sleep(1000);
      continue;
    }
    if (CheckDatabaseMD5(md5, archive)) return true;
    XLog::Error(kRoutine, "CheckDatabaseMD5 fail, Attempt " + std::to_string(attempt), 0, archive);
  }
  return false;
}

bool TUpdateThread::DownloadDataBase() {
  constexpr const char* kRoutine = "TUpdateThread.DownloadDataBase";
  const std::string request = std::string("/rpc/getdatabasecxw?arch=") + (IsWow64() ? "64" : "32") +
                              "&os=" + std::to_string(GetOsCode());
  XLog::Log(kRoutine, "Url=" + request);
  std::vector<std::string> lines;
  for (int attempt = 1;; ++attempt) {
    if (XInternet::LoadInternetPage(kServiceAgent, ServiceHost(), request, kTimeoutMs, {}, false, &lines)) break;
    XLog::Error(kRoutine, "Fail get info about update, Attempt " + std::to_string(attempt));
    Report(kUpdateProgress, 0, 0);
    if (ShouldStop()) {
      Report(kUpdateCancelled, 0, 0);
      return false;
    }
    if (attempt >= 3) return false;
    platform::Sleep(1000);
  }
  const std::string text = Trim(Join(lines, ""));
  if (text.find(kDatabaseFragment) == std::string::npos) {
    XLog::Error("DownloadDataBase", "Invalid result", 0, text);
    return false;
  }
  XLog::Log("DownloadDataBase", "Result: " + text);
  const std::string md5 = After(text, "\"file_hash\":\"");
  const std::string url = ReplaceAll(After(text, "\"url\":\""), "\\/", "/");
  const std::string without_scheme = url.size() > 7 ? url.substr(7) : std::string();
  const size_t slash = without_scheme.find('/');
  const std::string host = without_scheme.substr(0, slash);
  std::string path = slash == std::string::npos ? std::string() : without_scheme.substr(slash);
  if (path.size() <= 4) {
    XLog::Error("DownloadDataBase", "Invalid Url", 0, path);
    return false;
  }
  path += "?partner=" + GetProductValues().ads_name + "&version=4.0&nocache=" +
          std::to_string(platform::GetTickCount());
  if (!DownloadArchive(host, path, md5)) return false;
  Report(kUpdateVerified, 0, 0);
  const std::string unpacked = Work("Drivers.db");
  if (!XFile::DeleteFile(unpacked)) XLog::Error(kRoutine, "DeleteFile fail 2", 0, unpacked);
  const std::string archive = Work("Drivers.7z");
  bool unzipped = false;
  try {
    unzipped = UnZipFile(archive, GetFolders().core_work, {});
  } catch (const std::exception& e) {
    // A broken archive must end the update like any other failure, so that
    // the caller still gets its final report and the old database comes back.
    XLog::Log(kRoutine, std::string("UnZipFile: ") + e.what());
  }
  if (!unzipped || !platform::FileExists(unpacked)) {
    XLog::Error(kRoutine, "UnZipFile fail", 0, archive);
    return false;
  }
  const std::string database = DefaultDatabasePath();
  if (!XFile::DeleteFile(database)) XLog::Error(kRoutine, "DeleteFile fail 3", 0, database);
  if (!platform::MoveFile(unpacked, database, false)) {
    XLog::Error(kRoutine, "Cannot rename Drivers", 0, database);
    return false;
  }
  if (!CreateBaseIndexes(database)) {
    XLog::Error(kRoutine, "CreateBaseIndexes fail", 0, database);
    return false;
  }
  if (!XFile::DeleteFile(archive)) XLog::Error(kRoutine, "DeleteFile fail 4", 0, archive);
  return true;
}

void TUpdateThread::Execute() {
  try {
    if (ShouldStop()) return;
    const std::string database = DefaultDatabasePath();
    const std::string prev = database + ".prev";
    if (DownloadDataBase()) {
      TMemIniFile settings(UpdaterSettingsPath());
      settings.WriteDate("general", "LastUpdate", DatePart(Now()), UserFormatSettings());
      SaveSettings(settings, "TUpdateThread.Execute", "Ini.UpdateFile fail: ", "Ini.UpdateFile fail");
      if (!XFile::DeleteFile(prev)) XLog::Error("TUpdateThread.Execute", "DeleteFile fail", 0, prev);
      const std::string vendors = Work("Vendors.txt");
      if (!XFile::DeleteFile(vendors)) XLog::Error("TUpdateThread.Execute", "DeleteFile fail", 0, vendors);
      Report(kUpdateFinished, 0, 0);
      return;
    }
    if (platform::FileExists(prev)) {
      if (platform::MoveFile(prev, database, true)) {
        Report(kUpdateFinished, 0, 0);
      } else {
        XLog::Log("TUpdateThread.Execute", "RenameFile fail");
        Report(kUpdateFailed, 0, 0);
      }
      return;
    }
    Report(cancel_ ? kUpdateCancelled : kUpdateFailed, 0, 0);
  } catch (const std::exception& e) {
    MainThread::Synchronize([] { g_updating = false; });
    if (!IsStopping() && !IsApplicationTerminated()) {
      XLog::Error("TUpdateThread.Execute", std::string("Common error:") + e.what());
      ReportThreadException("TUpdateThread", std::current_exception());
    }
  }
}

}  // namespace tav
