// One driver package of the driver list: the devices it serves, its display
// name, icon, state and sort weight.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/date_time.h"
#include "drivers/class_guid.h"
#include "drivers/device_entry.h"
#include "drivers/extra_params.h"
#include "drivers/package_state.h"

namespace tav {

class TDriverPackageEntry {
 public:
  std::string FileName;     // package file name from the database ("FName")
  std::string Key;          // package key of FileName
  std::string GroupsText;   // Groups joined by ", "
  std::string Date;         // new driver's date ("Date2") as a display date
  std::string Vendor;       // vendor text (PackageVendor)
  std::string Version;      // new driver's version ("Version2")
  std::string Description;  // driver description from the database
  std::string Md5Hash;      // expected MD5 of the package file
  std::vector<std::unique_ptr<TDeviceEntry>> Devices;  // insertion order
  std::string DisplayName;                             // cache of GetName, cleared by AddDevice
  std::vector<std::string> Groups;                     // no duplicates regardless of case
  std::vector<std::string> DeviceNames;                // duplicates kept
  bool Present = true;
  TPackageState State = psNone;
  DateTime DownloadedDate = 0;
  std::optional<int32_t> Icon;  // cache of GetIcon

  // The cached results below are computed on first request, once the list is
  // filled, and never again.
  std::string GetName();
  // The class image index of the main device's class, or none without a
  // main device. It stands for the class icon, which the user interface
  // draws from that index.
  std::optional<int32_t> GetIcon();
  // The device whose class more than two thirds of the devices share (with
  // two devices, the first); none when no class has that many.
  TDeviceEntry* GetMainDevice();
  // Larger weights come first in the sorted list.
  int32_t GetSortWeight();
  bool HasConnectedDevice();
  // True for a package without devices.
  bool IsAllUnfiltered();
  bool IsPending() const { return State == psPending; }

  TDeviceEntry* AddDevice(std::string_view device_name,
                          std::string_view group,
                          const TExtraParams& params,
                          const TGuid& class_guid,
                          std::string_view device_class,
                          std::string_view version1,
                          std::string_view date1);
  void AddGroup(std::string_view group);

 private:
  std::string ComposeName() const;
  int32_t ClassRank();

  std::optional<bool> has_connected_device_;
  std::optional<bool> is_all_unfiltered_;
  std::optional<int32_t> sort_weight_;
  std::optional<TDeviceEntry*> main_device_;
  bool icon_computed_ = false;
};

}  // namespace tav
