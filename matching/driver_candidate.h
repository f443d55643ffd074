// One driver offer of the database for a device (a row of a lookup), with
// what the matching decides about it. Field names are the keys under which
// the result files write them.
#pragma once

#include <string>
#include <vector>

#include "core/date_time.h"

namespace tav {

struct TDriverItem {
  std::string HID;       // the queried ID text (prepared or reduced), every "\" doubled
  std::string hid_raw;   // the ID as the device lists it, upper-cased
  std::string query_id;  // the queried ID text as it was queried
  int HIDindex = 0;      // position of the ID in the device's list
  int HIDInfIndex = 0;   // position of the ID in the INF's model line
  DateTime Date = 0;
  std::string Version;
  std::string Vendor;
  std::string Link;       // package file name
  std::string Installer;  // path inside the package, "\" separators
  std::string Filehash;
  std::string FileDescription;
  std::string DeviceDescription;
  bool IsRegularHID = false;
  bool IsFullHID = false;
  std::string HidVendor;
  std::string NameVendor;
  bool FoundByProvider = false;
  bool FoundByManufacturer = false;
  bool FoundByHidVendor = false;
  bool FoundByNameVendor = false;
  bool FoundByNoneVendor = false;
  bool inbox_provider_match = false;
  bool inbox_manufacturer_match = false;
  bool FoundByDate = false;
  bool FoundByVersion = false;
  int Rank = 0;
  bool IsDecline = false;
  std::string DeclineReason;
  std::string device_description;  // the device's DeviceDescRaw
  std::string class_name;          // the device's ClassName
};

using TDriverList = std::vector<TDriverItem>;

}  // namespace tav
