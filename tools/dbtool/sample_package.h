// A sample driver package as the catalog generator plans it, and its files:
// INFs in real INF syntax (strings, quotes, comments, copy sections,
// services, decorated models), the small dummy files their CopyFiles name,
// and, for an installer package, a setup program.
#pragma once

#include <string>
#include <vector>

#include "tools/dbtool/package_archive.h"

namespace tav::dbtool {

struct ModelSpec {
  std::string description;
  std::vector<std::string> ids;  // hardware ID first
};

struct ManufacturerSpec {
  std::string name;
  std::vector<ModelSpec> models;
};

struct InfSpec {
  std::string path;  // inside the package
  std::string provider;
  std::string class_name, class_guid;
  std::string date;  // "yyyy-mm-dd"
  std::string version;
  std::string service;     // names the .sys and .dll files
  std::string decoration;  // "NTamd64", "NTx86.6.1", ...
  std::vector<ManufacturerSpec> manufacturers;
  bool utf16 = false;
};

struct PackageSpec {
  std::string file_name;
  std::string description;
  std::vector<InfSpec> infs;
  bool setup_program = false;
};

std::string InfText(const InfSpec& inf);
// Every file of the package, in a fixed order.
std::vector<ArchiveItem> PackageItems(const PackageSpec& package);

}  // namespace tav::dbtool
