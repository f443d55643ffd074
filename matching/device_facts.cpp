#include "matching/device_facts.h"

#include "core/ini_file.h"
#include "core/text_utils.h"
#include "devices/device_dates.h"
#include "devices/vendor_names.h"
#include "matching/version_compare.h"

namespace tav {

namespace {

std::string FirstProvider(const std::string& drv, const std::string& dev, const std::string& reg) {
  if (!drv.empty() && drv != "Unknown") return NormalizeVendor(drv);
  if (!dev.empty() && dev != "Unknown") return NormalizeVendor(dev);
  return NormalizeVendor(reg);
}

}  // namespace

bool UsableDriverVersion(std::string_view version) {
  return !version.empty() && version != "Unknown" && version != "0.0.0.0";
}

DeviceFacts ReadDeviceFacts(const TMemIniFile& ini, std::string_view s) {
  auto read = [&](const char* key) { return ini.ReadString(s, key, ""); };
  DeviceFacts f;
  const std::string drv_version = read("DrvDriverVersion");
  const std::string dev_version = read("DevDriverVersion");
  f.installed_version = UsableDriverVersion(drv_version)   ? drv_version
                        : UsableDriverVersion(dev_version) ? dev_version
                                                           : read("RegDriverVersion");
  if (f.installed_version == "Unknown" || f.installed_version == "0.0.0.0") f.installed_version.clear();
  for (const char* key : {"DrvDriverDate", "DevDriverDate", "RegDriverDate"}) {
    const DateTime date = ParseRawDate(read(key));
    if (date > 0) {
      f.installed_date = date;
      break;
    }
  }
  f.installed_provider = FirstProvider(read("DrvProvider"), read("DevProvider"), read("RegProvider"));
  f.inbox = IsInboxDriver(f.installed_version, f.installed_provider);
  f.failed = ini.ReadBool(s, "IsFailed", false);
  f.reg_manufacturer = NormalizeVendor(read("RegManufacturer"));
  f.drv_manufacturer = NormalizeVendor(read("DrvManufacturer"));
  f.dev_manufacturer = NormalizeVendor(read("DevManufacturer"));
  f.reg_provider = NormalizeVendor(read("RegProvider"));
  f.drv_provider = NormalizeVendor(read("DrvProvider"));
  f.dev_provider = NormalizeVendor(read("DevProvider"));
  f.class_name = read("ClassName");
  const bool any_vendor = !f.drv_provider.empty() || !f.drv_manufacturer.empty() ||
                          !f.dev_provider.empty() || !f.dev_manufacturer.empty() ||
                          !f.reg_provider.empty() || !f.reg_manufacturer.empty();
  f.driverless = f.class_name == "Unknown" || read("Class") == "Unknown" || !any_vendor;
  f.device_description = read("DeviceDescRaw");
  f.bus_description = read("DevBusDesc");
  f.regular_ids = Trim(read("HardwareIDregular"));
  f.compatible_ids = Trim(read("HardwareIDcompat"));
  return f;
}

}  // namespace tav
