#include "drivers/drivers_list.h"

#include <algorithm>
#include <vector>

#include "core/folders.h"
#include "core/ini_file.h"
#include "core/log_engine.h"
#include "core/text_utils.h"
#include "devices/device_dates.h"
#include "drivers/package_key.h"
#include "drivers/package_status.h"
#include "drivers/package_vendor.h"
#include "platform/file_system.h"

namespace tav {

namespace {

constexpr std::string_view kPreExtension = ".pre";
constexpr std::string_view kScanSuffix = "-scan";

bool KeptInResultList(const TExtraParams& params) {
  return params.Present && (params.State == psNone || params.State == psDownloaded);
}

TExtraParams ReadExtraParams(const TMemIniFile& pre,
                             const std::string& section,
                             const std::string& device_id,
                             const TPackageStatus& status) {
  TExtraParams params;
  params.State = status.State;
  if (params.State == psNone && pre.ReadBool(section, "IsPending", false))
    params.State = psPending;
  params.IsConnected = pre.ReadBool(section, "IsConnected", true);
  params.IsUnfiltered = pre.ReadBool(section, "IsUnfiltered", false);
  params.ClassName = pre.ReadString(section, "ClassName", "");
  params.IsSystemDriver = pre.ReadBool(section, "IsSystemDriver", false);
  const std::string candidate = device_id + "-drv-" + pre.ReadString(device_id, "Winner", "");
  params.DeviceDescription = pre.ReadString(candidate, "DeviceDescription", "");
  params.Present = status.Present;
  params.DownloadedDate = status.DownloadedDate;
  return params;
}

TScanValues ReadScanValues(const TMemIniFile& pre, const std::string& section) {
  auto value = [&](const char* key) { return pre.ReadString(section, key, ""); };
  TScanValues v;
  v.Group = value("Group");
  v.FName = value("FName");
  v.Date1 = value("Date1");
  v.Date2 = value("Date2");
  v.Vendor = value("Vendor");
  v.Version1 = value("Version1");
  v.Version2 = value("Version2");
  v.Class = value("Class");
  v.ClassGUID = value("ClassGUID");
  v.Description = value("Description");
  v.Md5Hash = value("Md5Hash");
  v.DeviceName = value("DeviceName");
  return v;
}

std::unique_ptr<TDriverPackageEntry> NewPackage(const TScanValues& values,
                                                std::string key,
                                                const TExtraParams& params) {
  auto package = std::make_unique<TDriverPackageEntry>();
  package->FileName = values.FName;
  package->Key = std::move(key);
  package->Description = values.Description;
  package->Md5Hash = values.Md5Hash;
  package->Date = LocalizeDateText(values.Date2);
  package->Vendor = PackageVendor(values.Vendor);
  package->Version = values.Version2;
  package->AddGroup(values.Group);
  package->Present = params.Present;
  package->State = params.State;
  package->DownloadedDate = params.DownloadedDate;
  return package;
}

}  // namespace

void TDriversList::ScanPreFiles(std::string_view folder, TListMode mode) {
  Clear();
  std::vector<platform::FindData> found;
  platform::FindFiles(std::string(folder) + "*" + std::string(kPreExtension), &found);
  for (const platform::FindData& file : found) {
    const std::string key = file.name.substr(0, file.name.size() - kPreExtension.size());
    if (!platform::FileExists(std::string(folder) + key + ".status")) {
      XLog::Error("TDriversList.ScanPreFiles", "Status file not found", 0, key);
      continue;
    }
    Scan(std::string(folder) + file.name, key, mode);
  }
}

void TDriversList::Scan(std::string_view record_file, std::string_view key, TListMode mode) {
  if (mode == TListMode::History &&
      !platform::FileExists(GetFolders().core_drivers + std::string(key))) {
    return;  // no longer downloaded
  }
  const TPackageStatus status =
      ReadPackageStatus(ExtractFilePath(record_file) + std::string(key) + ".status", key);
  const TMemIniFile pre{std::string(record_file)};
  for (const std::string& section : pre.ReadSections()) {
    const size_t suffix = section.find(kScanSuffix);
    if (suffix == std::string::npos)
      continue;
    const TExtraParams params = ReadExtraParams(pre, section, section.substr(0, suffix), status);
    if (mode == TListMode::Result && !KeptInResultList(params))
      continue;
    AddDevice(ReadScanValues(pre, section), params);
  }
}

TDriverPackageEntry* TDriversList::AddDevice(const TScanValues& values,
                                             const TExtraParams& params) {
  // A device without a class (no driver at all) has an empty "ClassGUID":
  // it keeps the null class, as these are the offers that matter most.
  TGuid class_guid;
  if (!values.ClassGUID.empty() && !TryParseGuid(values.ClassGUID, &class_guid)) {
    XLog::Error("TDriversList.AddDevice", "Invalid ClassGUID", 0,
                values.ClassGUID + " " + values.DeviceName);
    return nullptr;
  }
  std::string key = PackageKey(values.FName);
  TDriverPackageEntry* package = FindPackage(key);
  if (package) {
    package->AddGroup(values.Group);
  } else {
    items_.push_back(NewPackage(values, std::move(key), params));
    package = items_.back().get();
  }
  package->AddDevice(values.DeviceName, values.Group, params, class_guid, values.Class,
                     values.Version1, values.Date1);
  return package;
}

void TDriversList::Sort() {
  std::stable_sort(items_.begin(), items_.end(), [](const auto& a, const auto& b) {
    return a->GetSortWeight() > b->GetSortWeight();
  });
}

TDriverPackageEntry* TDriversList::FindPackage(const std::string& key) const {
  for (const auto& package : items_) {
    if (package->Key == key)
      return package.get();
  }
  return nullptr;
}

}  // namespace tav
