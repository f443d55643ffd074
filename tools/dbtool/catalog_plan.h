// The plan of a sample catalog for a virtual PC: which devices carry which
// case of the matching, the packages that make each case, and the outcome
// the scan must reach for every device. Each case takes the first devices
// (in profile order) whose facts make its outcome certain, and its packages
// use IDs that reach no other device of the PC. The reasoning per case is in
// tools/dbtool/README.md.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "tools/dbtool/catalog_device.h"
#include "tools/dbtool/sample_package.h"

namespace tav::dbtool {

struct DeviceExpectation {
  std::string outcome;  // "Success", "Pending", "VerDots" or "Vendor"
  std::string package;  // the winner's package for Success and Pending
  std::string case_name;
};

struct PlannedCase {
  std::string name;
  std::string why;
  std::vector<std::string> devices;
  std::vector<std::string> packages;
};

struct CatalogPlan {
  std::vector<SamplePackage> packages;
  std::map<std::string, DeviceExpectation> expected;  // by instance ID; other devices: none
  std::vector<PlannedCase> cases;
  std::vector<std::string> unassigned;  // cases no device of the PC could carry
  // Devices that already carry a package (by instance ID → package file name).
  std::map<std::string, std::string> installed;
};

CatalogPlan PlanCatalog(const std::vector<CatalogDevice>& devices, const CatalogPc& pc);

// Whether the scan counts two descriptions as alike (more than 80 % of the
// characters agree, counted from both ends).
bool DescriptionsAlike(const std::string& a, const std::string& b);

}  // namespace tav::dbtool
