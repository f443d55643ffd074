// What the program's scan will know of a device of a virtual PC profile,
// worked out from the profile entry the way the PC reports it (installed
// driver from the driver key, vendors normalized, the inbox test, the
// hardware-ID vendor from the PCI and USB vendor lists), and which database
// IDs reach the device through which lookup.
#pragma once

#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace tav::dbtool {

struct CatalogPc {
  int os_code = 7;
  bool is_64bit = true;
  bool has_properties = true;  // Windows Vista and later keep device properties
};

struct CatalogDevice {
  std::string instance_id;
  std::vector<std::string> regular, compatible;  // upper-cased
  std::string description;                       // DeviceDescRaw
  std::string bus_description;
  std::string class_name, class_guid;
  std::string manufacturer_text, provider_text;  // as the PC reports them
  std::string manufacturer, dev_manufacturer;    // normalized
  std::string provider, dev_provider;
  bool standard_class = false;  // a class every Windows knows by name
  bool has_driver = false;
  std::string version;  // the installed version, four parts; empty when none
  std::string date;     // "yyyy-mm-dd"; empty when none
  bool failed = false;
  bool inbox = false;
  bool driverless = false;
  std::string hid_vendor;
  // The device may carry a planned case: nothing in the profile makes its
  // scan depend on more than the facts above.
  bool plain = false;
};

// Which lookups of a device's scan return the rows stored for an ID.
struct IdHits {
  bool full_regular = false, reduced_regular = false, full_compatible = false,
       reduced_compatible = false;
  bool any() const {
    return full_regular || reduced_regular || full_compatible || reduced_compatible;
  }
};

CatalogPc ReadCatalogPc(const nlohmann::json& profile);
// Every device of the profile, in profile order.
std::vector<CatalogDevice> ReadCatalogDevices(
    const nlohmann::json& profile,
    const CatalogPc& pc,
    const std::map<std::string, std::string>& pci_vendors,
    const std::map<std::string, std::string>& usb_vendors);
IdHits HitsOf(const CatalogDevice& device, const std::string& id);
// The vendor words a candidate's vendor is compared with.
std::vector<std::string> VendorWords(const CatalogDevice& device);
bool HasMicrosoft(const CatalogDevice& device);

}  // namespace tav::dbtool
