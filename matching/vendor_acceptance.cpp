#include "matching/vendor_acceptance.h"

#include <optional>

#include "devices/vendor_names.h"
#include "matching/hid_vendor.h"

namespace tav {

namespace {

constexpr std::string_view kMicrosoft = "MICROSOFT";

constexpr std::pair<std::string_view, std::string_view> kAliases[] = {{"SILICON", "SIS"},
                                                                      {"STMICROELECTRONICS", "ST"},
                                                                      {"CISCOLINKSYS", "LINKSYS"},
                                                                      {"RIM", "RESEARCH"},
                                                                      {"AMD", "ATI"}};

std::string_view Alias(std::string_view vendor) {
  for (const auto& [a, b] : kAliases) {
    if (vendor == a)
      return b;
    if (vendor == b)
      return a;
  }
  return {};
}

// The loose case: IDs alone may decide only for a device that does not say
// clearly whose it is.
bool StrictCase(const DeviceFacts& d, const TDriverItem& c) {
  return !d.driverless && !d.failed && d.reg_manufacturer != kMicrosoft &&
         d.drv_manufacturer != kMicrosoft && d.dev_manufacturer != kMicrosoft &&
         d.reg_provider != kMicrosoft && d.drv_provider != kMicrosoft &&
         d.dev_provider != kMicrosoft && c.DeviceDescription != d.device_description;
}

// The vendors the device's description and bus description name, the same
// for every candidate of the device.
struct NameVendors {
  std::string description, bus_description;
};

bool Accept(TDriverItem& c, const DeviceFacts& d, const NameVendors& names) {
  auto matches = [&](const std::string& name) { return VendorMatches(c.Vendor, name); };
  c.FoundByHidVendor = !c.HidVendor.empty() && matches(c.HidVendor);
  for (const std::string* name : {&names.description, &names.bus_description}) {
    const std::string& name_vendor = *name;
    if (!name_vendor.empty() && matches(name_vendor)) {
      c.NameVendor = name_vendor;
      c.FoundByNameVendor = true;
      break;
    }
  }
  const bool all_microsoft =
      d.inbox && d.reg_manufacturer == kMicrosoft && d.drv_manufacturer == kMicrosoft;
  c.FoundByManufacturer =
      !all_microsoft && (matches(d.reg_manufacturer) || matches(d.drv_manufacturer));
  if (c.FoundByManufacturer)
    return true;
  c.FoundByProvider =
      !d.inbox && (matches(d.drv_provider) || matches(d.dev_provider) || matches(d.reg_provider));
  if (c.FoundByProvider)
    return true;
  if (c.FoundByHidVendor || c.FoundByNameVendor)
    return true;
  if (d.inbox) {
    if (all_microsoft && (matches(d.reg_manufacturer) || matches(d.drv_manufacturer))) {
      c.inbox_manufacturer_match = true;
      return true;
    }
    if (matches(d.drv_provider) || matches(d.dev_provider) || matches(d.reg_provider)) {
      c.inbox_provider_match = true;
      return true;
    }
  }
  if (c.Vendor != "SYNAPTICS" && c.Vendor != "ELAN" && !StrictCase(d, c)) {
    if (c.IsFullHID && c.IsRegularHID)
      return true;
    if (c.IsFullHID && d.reg_manufacturer.empty() && d.drv_manufacturer.empty() &&
        d.drv_provider.empty() && d.dev_provider.empty() && d.reg_provider.empty()) {
      c.FoundByNoneVendor = true;
      return true;
    }
  }
  return false;
}

}  // namespace

bool VendorMatches(std::string_view candidate_vendor, std::string_view name) {
  if (name.empty())
    return false;
  return candidate_vendor == name ||
         (!Alias(candidate_vendor).empty() && Alias(candidate_vendor) == name);
}

int AcceptVendors(SqliteDatabase& db, TDriverList* candidates, const DeviceFacts& device) {
  std::optional<std::string> device_hid_vendor;
  if (candidates->empty())
    return 0;
  const NameVendors names{NormalizeVendor(device.device_description),
                          NormalizeVendor(device.bus_description)};
  int accepted = 0;
  for (auto it = candidates->rbegin(); it != candidates->rend(); ++it) {
    TDriverItem& c = *it;
    c.device_description = device.device_description;
    c.class_name = device.class_name;
    if (!device_hid_vendor)
      device_hid_vendor = DeviceHidVendor(db, device.regular_ids);
    c.HidVendor = !device_hid_vendor->empty() ? *device_hid_vendor : IdVendor(db, c.query_id);
    if (Accept(c, device, names)) {
      ++accepted;
    } else {
      c.IsDecline = true;
      c.DeclineReason = "Vendor";
    }
  }
  return accepted;
}

}  // namespace tav
