#include "matching/driver_result.h"

#include <stdexcept>
#include <vector>

#include "core/date_time.h"
#include "core/debug_backup.h"
#include "core/file_utils.h"
#include "core/folders.h"
#include "core/format_settings.h"
#include "core/ini_file.h"
#include "core/log_engine.h"
#include "core/process_flags.h"
#include "core/system_error.h"
#include "core/text_utils.h"
#include "devices/device_dates.h"
#include "devices/device_properties.h"
#include "matching/candidate_lookup.h"
#include "matching/candidate_ranking.h"
#include "matching/device_facts.h"
#include "matching/driver_database.h"
#include "matching/install_snapshots.h"
#include "matching/snapshot_collector.h"
#include "matching/vendor_acceptance.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/locale_info.h"

namespace tav {

namespace {

constexpr const char* kRoutine = "GenerateDriverResult";

std::string Or(const std::string& path, std::string_view fallback) {
  return path.empty() ? GetFolders().core_work + std::string(fallback) : path;
}

const char* Bool01(bool value) {
  return value ? "1" : "0";
}

std::string DateOrUnknown(DateTime value) {
  return value == 0 ? "Unknown" : DateToText(value, false);
}

std::string VersionOrUnknown(const std::string& version) {
  return version.empty() || version == "0.0.0.0" ? "Unknown" : version;
}

// The package key: the file name after its first "_" (at most 250 characters).
std::string PackageKey(const std::string& file_name) {
  const size_t underscore = file_name.find('_');
  if (underscore == std::string::npos)
    return file_name;
  return file_name.substr(underscore + 1, 250);
}

struct Scan {
  TMemIniFile devices;
  TMemIniFile result;
  TMemIniFile plus;
  SqliteDatabase db;
  platform::DeviceInfoSet set;
  std::string base_date;
  std::string os_text;
  bool cut = false;
  int found = 0;
  int sections = 0;
  TFormatSettings user;
};

void WriteScanSettings(Scan& scan) {
  TMemIniFile& r = scan.result;
  const DateTime now = Now();
  r.WriteString("Settings", "Program", ProductName());
  r.WriteString("Settings", "ProgramCreated", DateToText(XFile::ExeFileTime(), false));
  r.WriteString("Settings", "Generated", DateToText(now, false));
  r.WriteString("Settings", "GeneratedTime", TimeToStr(now, scan.user));
  r.WriteString("Settings", "GeneratedRaw", FloatToStr(now, scan.user));
  r.WriteInteger("Settings", "Windows", GetOsCode());
  r.WriteBool("Settings", "x64", IsWow64());
  r.WriteInteger("Settings", "Version", 1);
  r.WriteString("Settings", "Base", scan.base_date);
  r.WriteInteger("Errors", "Dump", 0);
}

void WritePlusBlock(Scan& scan,
                    const std::string& n,
                    const DeviceFacts& facts,
                    const TDriverList& candidates,
                    std::string_view status,
                    int winner) {
  std::vector<std::string> out = scan.devices.ReadSectionValues(n);
  out.push_back(std::string("DeviceVersion=") + (facts.inbox ? "!" : "") + facts.installed_version);
  out.push_back("DeviceDate=" + (facts.installed_date == 0
                                     ? std::string("Unknown")
                                     : DateToStr(facts.installed_date, scan.user)));
  out.push_back("Status=" + std::string(status));
  out.push_back("Count=" + std::to_string(candidates.size()));
  if (status == "Success") {
    const TDriverItem& w = candidates[static_cast<size_t>(winner)];
    out.push_back("WinnerHash=" + w.Filehash + "_" + w.HID + "_" + w.Vendor);
    out.push_back("Winner=" + std::to_string(winner));
  }
  scan.plus.AppendLines(n, out);
  for (size_t i = 0; i < candidates.size(); ++i) {
    const TDriverItem& c = candidates[i];
    out.clear();
    out.push_back(std::string("Winner=") +
                  Bool01(static_cast<int>(i) == winner && status == "Success"));
    out.push_back(std::string("IsDecline=") + Bool01(c.IsDecline));
    out.push_back("DeclineReason=" + c.DeclineReason);
    out.push_back("HID=" + c.HID);
    out.push_back("Version=" + c.Version);
    out.push_back("Link=" + c.Link);
    out.push_back("Installer=" + c.Installer);
    out.push_back("Filehash=" + c.Filehash);
    out.push_back("FileDescription=" + c.FileDescription);
    out.push_back("DeviceDescription=" + c.DeviceDescription);
    out.push_back("Vendor=" + c.Vendor);
    out.push_back("HidVendor=" + c.HidVendor);
    out.push_back("NameVendor=" + c.NameVendor);
    out.push_back("HIDindex=" + std::to_string(c.HIDindex));
    out.push_back("HIDInfIndex=" + std::to_string(c.HIDInfIndex));
    out.push_back("Rank=" + std::to_string(c.Rank));
    out.push_back(std::string("IsRegularHID=") + Bool01(c.IsRegularHID));
    out.push_back(std::string("IsFullHID=") + Bool01(c.IsFullHID));
    out.push_back(std::string("FoundByProvider=") + Bool01(c.FoundByProvider));
    out.push_back(std::string("FoundByManufacturer=") + Bool01(c.FoundByManufacturer));
    out.push_back(std::string("FoundByHidVendor=") + Bool01(c.FoundByHidVendor));
    out.push_back(std::string("FoundByNameVendor=") + Bool01(c.FoundByNameVendor));
    out.push_back(std::string("FoundByNoneVendor=") + Bool01(c.FoundByNoneVendor));
    out.push_back(std::string("FoundByVersion=") + Bool01(c.FoundByVersion));
    out.push_back(std::string("FoundByDate=") + Bool01(c.FoundByDate));
    out.push_back("Date=" + DateToStr(c.Date, scan.user));
    scan.plus.AppendLines(n + "-drv-" + std::to_string(i), out);
  }
}

void AddScanSection(Scan& scan,
                    const std::string& n,
                    const DeviceFacts& facts,
                    const TDriverItem& w,
                    bool pending) {
  TMemIniFile& r = scan.result;
  const TMemIniFile& d = scan.devices;
  const std::string s = std::to_string(++scan.sections);
  const std::string name =
      !facts.device_description.empty() ? facts.device_description : facts.bus_description;
  if (!name.empty())
    r.WriteString(s, "DeviceName", name);
  r.WriteString(s, "FName", w.Link);
  r.WriteString(s, "PackageName", PackageKey(w.Link));
  r.WriteString(s, "AltFName", w.Link);
  r.WriteString(s, "Date1", DateOrUnknown(facts.installed_date));
  r.WriteString(s, "Date1Raw", FloatToStr(facts.installed_date, scan.user));
  r.WriteString(s, "Date2", DateOrUnknown(w.Date));
  r.WriteString(s, "Vendor", w.Vendor);
  r.WriteString(s, "Version1", VersionOrUnknown(facts.installed_version));
  r.WriteString(s, "Version2", VersionOrUnknown(w.Version));
  r.WriteString(s, "Installer", w.Installer);
  r.WriteString(s, "Description", w.FileDescription);
  for (const char* key :
       {"Class", "ClassName", "ClassGUID", "InfPath", "InfSection", "IsConnected"}) {
    r.WriteString(s, key, d.ReadString(n, key, ""));
  }
  r.WriteString(s, "HardId", w.HID);
  r.WriteString(s, "HardIdRaw", w.hid_raw);
  r.WriteString(s, "Md5Hash", w.Filehash);
  r.WriteBool(s, "FullHID", w.IsFullHID);
  r.WriteString(s, "DeviceIniSection", n);
  r.WriteString(s, "EnumKey", Trim(d.ReadString(n, "EnumKey", "")));
  r.WriteString(s, "ClassKey", Trim(d.ReadString(n, "ClassKey", "")));
  r.WriteString(s, "BaseDate", scan.base_date);
  r.WriteBool(s, "IsPending", pending);
  r.WriteBool(s, "IsSystemDriver", facts.inbox);
}

// A package that was installed before but is offered again goes back to
// "Downloaded" (when its file is still there) or "New".
void ReopenPackageStatus(const std::string& package) {
  const std::string path = GetFolders().core_work + package + ".status";
  if (!platform::FileExists(path))
    return;
  TMemIniFile status(path);
  const std::string state = status.ReadString("Settings", "Status", "");
  if (state != "Installed" && state != "Pending")
    return;
  const bool downloaded = platform::FileExists(GetFolders().core_drivers + package);
  status.WriteString("Settings", "Status", downloaded ? "Downloaded" : "New");
  if (!status.UpdateFile())
    XLog::Error(kRoutine, "Status UpdateFile fail", 0, path);
}

void FetchDriverParameters(Scan& scan, const std::string& n, const std::string& enum_key) {
  TMemIniFile& d = scan.devices;
  if (!d.ReadString(n, "DrvProvider", "").empty() ||
      !d.ReadString(n, "DrvManufacturer", "").empty() ||
      !d.ReadString(n, "DrvDriverVersion", "").empty() ||
      ParseRawDate(d.ReadString(n, "DrvDriverDate", "")) != 0) {
    return;
  }
  DriverParameters p;
  GetDriverParameters(scan.set, enum_key, &scan.result, &p);
  d.WriteString(n, "DrvProvider", p.provider);
  d.WriteString(n, "DrvManufacturer", p.manufacturer);
  d.WriteString(n, "DrvDriverVersion", p.version);
  d.WriteString(n, "DrvDriverDate", FloatToStr(p.date, scan.user));
  if (UsableDriverVersion(p.version))
    d.WriteString(n, "DriverVersion", p.version);
}

// The lookup, decisions and result lines of one device.
void ScanDevice(Scan& scan, const std::string& n, const std::string& enum_key) {
  if (ReadDeviceStorageString(enum_key, "InstalledBaseDate") == scan.base_date &&
      ReadDeviceStorageString(enum_key, "InstalledStatus") == "1") {
    return;  // a package of this database was installed on it successfully
  }
  const std::string regular = Trim(scan.devices.ReadString(n, "HardwareIDregular", ""));
  const std::string compatible = Trim(scan.devices.ReadString(n, "HardwareIDcompat", ""));
  TDriverList candidates =
      FindDeviceCandidates(scan.db, regular, compatible, scan.os_text, scan.cut);
  if (!candidates.empty())
    FetchDriverParameters(scan, n, enum_key);
  const DeviceFacts facts = ReadDeviceFacts(scan.devices, n);
  if (candidates.empty()) {
    if (facts.class_name == "Unknown" || scan.devices.ReadString(n, "Class", "") == "Unknown" ||
        facts.failed) {
      return;
    }
    const std::string version = scan.devices.ReadString(n, "DevDriverVersion", "").empty()
                                    ? scan.devices.ReadString(n, "RegDriverVersion", "")
                                    : scan.devices.ReadString(n, "DevDriverVersion", "");
    DateTime date = ParseRawDate(scan.devices.ReadString(n, "DevDriverDate", ""));
    if (date == 0)
      date = ParseRawDate(scan.devices.ReadString(n, "RegDriverDate", ""));
    std::string provider = facts.dev_provider.empty() ? facts.reg_provider : facts.dev_provider;
    if (provider != "TAP" && provider != "ORACLE" && provider != "ELDOS" &&
        provider != "MICROSOFT") {
      AddSnapshotItem(nullptr, version, scan.devices.ReadString(n, "Vendor", ""), regular,
                      facts.class_name, facts.device_description, "unknown", date);
    }
    return;
  }
  const int accepted = AcceptVendors(scan.db, &candidates, facts);
  AddSnapshotItems(candidates, facts.installed_version, facts.installed_provider,
                   facts.installed_date);
  RankCandidates(&candidates, facts);
  if (accepted == 0) {
    WritePlusBlock(scan, n, facts, candidates, "Vendor", -1);
    return;
  }
  MarkNewerCandidates(&candidates, facts);
  const int winner = ChooseWinner(candidates);
  if (winner < 0) {
    WritePlusBlock(scan, n, facts, candidates, "VerDots", -1);
    return;
  }
  const TDriverItem& w = candidates[static_cast<size_t>(winner)];
  const bool pending = ReadDeviceStorageString(enum_key, "InstalledVersion") == w.Filehash;
  if (pending && ReadDeviceStorageString(enum_key, "InstalledStatus") == "1") {
    WritePlusBlock(scan, n, facts, candidates, "Pending", winner);
    return;
  }
  WritePlusBlock(scan, n, facts, candidates, "Success", winner);
  AddScanSection(scan, n, facts, w, pending);
  if (!pending) {
    ++scan.found;
    ReopenPackageStatus(PackageKey(w.Link));
  }
}

template <typename Save>
void SaveTwice(Save save, const char* first, const char* second, const std::string& path) {
  if (save())
    return;
  XLog::Error(kRoutine, first, 0, path);
  platform::Sleep(1000);
  if (!save())
    XLog::Error(kRoutine, second, 0, path);
}

void DeleteOld(const std::string& path, const char* message) {
  if (platform::FileExists(path) && !XFile::DeleteFile(path))
    XLog::Error(kRoutine, message, 0, path);
}

}  // namespace

void GenerateDriverResult(int min_seconds,
                          const ScanPaths& paths,
                          std::string_view os_text,
                          const ScanCallback& report) {
  const uint32_t start = platform::GetTickCount();
  const std::string database = paths.database.empty() ? DefaultDatabasePath() : paths.database;
  bool ignored_cancel = false;
  if (!platform::FileExists(database)) {
    XLog::Error(kRoutine, "BasePath not found", 0, database);
    report(kScanFailed, "", &ignored_cancel, 0, 0, 0);
    return;
  }
  Scan scan;
  scan.user = UserFormatSettings();
  scan.os_text = os_text.empty() ? std::to_string(GetOsCode()) : std::string(os_text);
  std::string error;
  if (!scan.db.Open(database, true, &error)) {
    XLog::Error(kRoutine, "Open database fail: " + error, 0, database);
    report(kScanFailed, "", &ignored_cancel, 0, 0, 0);
    return;
  }
  scan.db.BeginRead();
  const std::string devices_path = Or(paths.devices, "Devices.ini");
  const std::string scan_path = Or(paths.scan, "Scan.ini");
  const std::string plus_path = Or(paths.plus, "DevicesPlus.ini");
  scan.devices = TMemIniFile(devices_path);
  DeleteOld(plus_path, "Cannot delete and rename DevicesPlus.ini file");
  DeleteOld(scan_path, "Cannot delete and rename Scan.ini file");
  scan.result.SetFileName(scan_path);
  scan.plus.SetFileName(plus_path);
  scan.base_date = Trim(ReadDatabaseSetting(scan.db, "date"));
  WriteScanSettings(scan);
  BeginSnapshot(scan.base_date);
  scan.cut = ReadDatabaseSetting(scan.db, "cut") == "1";
  int32_t set_error = 0;
  if (!scan.set.CreateForAllDevices(&set_error)) {
    throw std::runtime_error("SetupDiGetClassDevs: " + SysErrorMessage(set_error));
  }
  const uint64_t deadline =
      min_seconds >= 1 ? platform::GetTickCount64() + min_seconds * 1000ull : 0;
  const int64_t unique = scan.devices.ReadInteger("Settings", "UniqueDevices", 0);
  bool cancelled = false, stopped = false;
  int processed = 0;
  for (const std::string& n : scan.devices.ReadSections()) {
    if (IsStopping() || IsApplicationTerminated()) {
      stopped = true;
      break;
    }
    int64_t number = 0;
    if (!TryStrToInt(n, &number))
      continue;
    ++processed;
    const std::string description = scan.devices.ReadString(n, "DeviceDescRaw", "");
    const std::string enum_key = Trim(scan.devices.ReadString(n, "EnumKey", ""));
    bool cancel = false;
    report(kScanDevice, description, &cancel, static_cast<int>(unique), scan.found, processed);
    if (cancel) {
      cancelled = true;
      break;
    }
    if (deadline != 0) {
      const uint64_t now = platform::GetTickCount64();
      const int64_t left_devices = unique - number;
      if (now < deadline && left_devices > 0) {
        const uint64_t pause = (deadline - now) / static_cast<uint64_t>(left_devices);
        if (pause > 10)
          platform::Sleep(static_cast<uint32_t>(pause));
      }
    }
    ScanDevice(scan, n, enum_key);
  }
  scan.db.EndRead();
  SaveTwice([&] { return scan.devices.UpdateFile(); }, "DeviceList.UpdateFile fail",
            "DeviceList.UpdateFile fail 2", devices_path);
  scan.set.Destroy();
  if (!scan.plus.ReadSections().empty()) {
    SaveTwice([&] { return scan.plus.UpdateFile(); }, "SnapshotIni.UpdateFile fail",
              "SnapshotIni.UpdateFile fail 2", plus_path);
  }
  scan.result.WriteInteger("Settings", "TimeToGenerate", platform::GetTickCount() - start);
  SaveTwice([&] { return scan.result.UpdateFile(); }, "ScanList.UpdateFile fail",
            "ScanList.UpdateFile fail 2", scan_path);
  EndSnapshot();
  CreateInstallSnapshots(scan.result, scan.plus);
  bool no_cancel = false;
  report(cancelled ? kScanCancelled : kScanEnded, "", &no_cancel, static_cast<int>(unique),
         scan.found, 0);
  if (!cancelled && !stopped)
    CreateDebugBackup("scan");
}

}  // namespace tav
