// A driver database for tests: offers written straight into the tables in
// their stored forms (transformed IDs and package names), as the database
// builder writes them.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace tav::testing {

struct Offer {
  std::string id;           // the complete hardware ID as INF files give it
  int index_in_line = 0;
  std::string version = "1.0.0.0";
  std::string date = "2015-01-01";
  std::string vendor = "INTEL";
  std::string file = "100_package.zip";
  std::string hash = "0123456789abcdef0123456789abcdef";
  std::string installer = "driver/driver.inf";
  std::string file_description = "Driver package";
  std::string device_description = "Device";
  int os = 7;
};

// Writes a database file (a Windows path on the current PC) with the offers,
// the settings rows, and the vendor tables' rows.
void MakeDriverDatabase(const std::string& path, const std::vector<Offer>& offers,
                        const std::vector<std::pair<std::string, std::string>>& settings = {
                            {"date", "2015-10-01"}, {"plain", "0"}},
                        const std::vector<std::pair<std::string, std::string>>& pci_vendors = {},
                        const std::vector<std::pair<std::string, std::string>>& usb_vendors = {});

}  // namespace tav::testing
