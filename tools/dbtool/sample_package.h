// A sample driver package as the catalog generator plans it, and its files:
// INFs in real INF syntax (strings, quotes, comments, copy sections,
// services, decorated models), the small dummy files their CopyFiles name,
// and, for an installer package, a setup program.
#pragma once

#include <string>
#include <vector>

#include "tools/dbtool/package_archive.h"

namespace tav::dbtool {

struct SampleModel {
  std::string description;
  std::vector<std::string> ids;  // hardware ID first
};

struct SampleManufacturer {
  std::string name;
  std::vector<SampleModel> models;
};

struct SampleInf {
  std::string path;  // inside the package
  std::string provider;
  std::string class_name, class_guid;
  std::string date;  // "yyyy-mm-dd"
  std::string version;
  std::string service;     // names the .sys and .dll files
  std::string decoration;  // "NTamd64", "NTx86.6.1", ...
  std::vector<SampleManufacturer> manufacturers;
  bool utf16 = false;
};

struct SamplePackage {
  std::string file_name;
  std::string description;
  std::vector<SampleInf> infs;
  bool setup_program = false;
};

std::string InfText(const SampleInf& inf);
// Every file of the package, in a fixed order.
std::vector<ArchiveItem> PackageItems(const SamplePackage& package);

}  // namespace tav::dbtool
