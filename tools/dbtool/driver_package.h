// One driver package of a catalog: the archive's INF files read for a target
// platform into database rows (every ID of every model line, for every OS
// code asked for), with the package's name, MD5, size, description and, for
// a package with a vendor installer program, that program.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/dbtool/database_writer.h"

namespace tav::dbtool {

struct BuildTarget {
  bool is_64bit = true;
  std::vector<int> os_codes;
};

struct DriverPackage {
  std::string file_name;  // "12_realtek_lan.zip"
  std::string md5;        // lower-case hexadecimal
  int64_t size = 0;
  std::string description;
  std::string installer_program;  // inside the package; empty for an INF package
  std::vector<DriverRow> rows;
  std::vector<std::string> warnings;  // INFs skipped, and why
};

// A package file name the service can publish: digits, "_", then a name of
// lower-case letters, digits, ".", "-" and "_", ending in ".zip" or ".7z".
bool IsPackageFileName(const std::string& name);

// Reads the package at host_path; metadata is the text of its catalog
// metadata file (JSON, may be empty). False with a reason for a package
// that cannot be read.
bool ReadDriverPackage(const std::string& host_path,
                       const std::string& metadata,
                       const BuildTarget& target,
                       DriverPackage* package,
                       std::string* error);

}  // namespace tav::dbtool
