// One device of a driver package, as the result list and the history show it.
#pragma once

#include <cstdint>
#include <string>

#include "drivers/class_guid.h"

namespace tav {

class TDriverPackageEntry;

class TDeviceEntry {
 public:
  std::string Group;        // device group ("Group"; the scan writes none)
  std::string DeviceName;   // "DeviceName"
  std::string Date;         // installed driver's date ("Date1") as a display date
  std::string Version;      // installed driver's version ("Version1")
  int32_t ImageIndex = -1;  // class image index; -1 until looked up
  TGuid ClassGUID;
  std::string Class;  // friendly class name ("Class")
  bool IsConnected = true;
  bool IsUnfiltered = false;
  bool IsSystemDriver = false;
  std::string ClassName;                   // setup class ("ClassName")
  TDriverPackageEntry* Package = nullptr;  // the owning package, not owned

  // The class image index of the device's class. A failed lookup is logged
  // and gives 0 without being kept, so the next call asks again.
  int32_t GetIcon();
};

}  // namespace tav
