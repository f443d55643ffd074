// The values of one device's scan section that make a package and its device
// entry (keys of the same names; missing keys are empty).
#pragma once

#include <string>

namespace tav {

struct TScanValues {
  std::string DeviceName;
  std::string FName;
  std::string Group;
  std::string Date1;  // installed driver
  std::string Date2;  // new driver
  std::string Vendor;
  std::string Version1;
  std::string Version2;
  std::string Class;
  std::string Description;
  std::string ClassGUID;
  std::string Md5Hash;
};

}  // namespace tav
