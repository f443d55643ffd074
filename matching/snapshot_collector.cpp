#include "matching/snapshot_collector.h"

#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "core/folders.h"
#include "core/ini_file.h"
#include "core/log_engine.h"
#include "devices/device_dates.h"
#include "matching/version_compare.h"
#include "platform/file_system.h"
#include "platform/locale_info.h"

namespace tav {

namespace {

std::mutex g_mutex;
std::optional<bool> g_wanted;
std::unique_ptr<TMemIniFile> g_snapshot;
int g_sections = 0;
SnapshotUploader g_uploader;

std::string WorkPath(std::string_view name) {
  return GetFolders().core_work + std::string(name);
}

std::string OsId() {
  return std::to_string(GetOsCode()) + (IsWow64() ? "_64" : "_32");
}

bool Higher(std::string_view installed, std::string_view candidate) {
  if (installed.empty() && candidate.empty())
    return false;
  return CompareVersionParts(installed, candidate) > 0;
}

}  // namespace

void SetSnapshotUploader(SnapshotUploader uploader) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_uploader = std::move(uploader);
}

bool SnapshotWanted() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_wanted) {
    g_wanted = !platform::FileExists(WorkPath("snapshot_send")) &&
               !platform::FileExists(WorkPath("Snapshot.ini")) &&
               platform::GetUiLanguageName().rfind("English", 0) == 0;
  }
  return *g_wanted;
}

void BeginSnapshot(std::string_view database_date) {
  if (!SnapshotWanted())
    return;
  std::lock_guard<std::mutex> lock(g_mutex);
  g_snapshot = std::make_unique<TMemIniFile>();
  g_snapshot->SetFileName(WorkPath("Snapshot.ini"));
  g_snapshot->WriteString("Settings", "Version", "1");
  g_snapshot->WriteString("Settings", "Program", ProductName());
  g_snapshot->WriteString("Settings", "Base", database_date);
  g_snapshot->WriteString("Settings", "Generated", DateToText(Now(), false));
}

void AddSnapshotItems(const TDriverList& candidates,
                      std::string_view version,
                      std::string_view provider,
                      DateTime date) {
  if (!SnapshotWanted())
    return;
  for (const TDriverItem& c : candidates) {
    const bool same_version = c.Version == version;
    const bool same_vendor = c.Vendor == provider;
    const bool dates_close = (c.Date > date ? c.Date - date : date - c.Date) < 1;
    const char* type = nullptr;
    if (same_version && same_vendor && !dates_close) {
      type = "date";
    } else if (same_version && !same_vendor && dates_close) {
      bool other_has_installed = false;
      for (const TDriverItem& o : candidates) {
        if (&o != &c && o.Version == version && o.Vendor == provider)
          other_has_installed = true;
      }
      if (!other_has_installed)
        type = "vendor";
    }
    if (!type && !same_version && same_vendor && c.Date == date)
      type = "version_2";
    if (type)
      AddSnapshotItem(&c, version, provider, c.HID, c.class_name, c.device_description, type, date);
    if (provider != "MICROSOFT" && Higher(version, c.Version)) {
      AddSnapshotItem(&c, version, provider, c.HID, c.class_name, c.device_description, "version",
                      date);
    }
  }
}

void AddSnapshotItem(const TDriverItem* c,
                     std::string_view version,
                     std::string_view provider,
                     std::string_view hardware_id,
                     std::string_view group,
                     std::string_view title,
                     std::string_view request_type,
                     DateTime date) {
  if (!SnapshotWanted())
    return;
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_snapshot)
    return;
  std::vector<std::string> lines = {"request_type=" + std::string(request_type),
                                    "version_user=" + std::string(version),
                                    "vendor_user=" + std::string(provider),
                                    "date_user=" + DateToText(date, true), "os_id=" + OsId()};
  if (c) {
    lines.insert(lines.end(), {"version_base=" + c->Version, "vendor_base=" + c->Vendor,
                               "date_base=" + DateToText(c->Date, true), "hardid=" + c->HID,
                               "title=" + std::string(title), "group=" + std::string(group),
                               "filename=" + c->Link});
  } else {
    lines.insert(lines.end(), {"title=" + std::string(title), "group=" + std::string(group),
                               "hardid=" + std::string(hardware_id)});
  }
  lines.push_back("created=program");
  // Every item is a section of its own, so its lines are appended as a whole.
  g_snapshot->AppendLines(std::to_string(++g_sections), lines);
}

void EndSnapshot() {
  if (!SnapshotWanted())
    return;
  std::unique_ptr<TMemIniFile> snapshot;
  SnapshotUploader uploader;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    snapshot = std::move(g_snapshot);
    uploader = g_uploader;
  }
  if (snapshot && snapshot->SectionExists("1")) {
    if (!snapshot->UpdateFile()) {
      XLog::Error("EndSnapshot", "UpdateFile fail", 0, snapshot->FileName());
    } else if (uploader) {
      uploader(snapshot->FileName());
    }
  }
  platform::File marker;
  marker.Open(WorkPath("snapshot_send"), platform::File::kWrite, platform::File::kShareRead,
              platform::File::kCreateAlways);
  // The log stays running: the scan goes on writing its result after this.
  XLog::Flush();
}

void ResetSnapshotCollector() {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_wanted.reset();
  g_snapshot.reset();
  g_sections = 0;
}

}  // namespace tav
