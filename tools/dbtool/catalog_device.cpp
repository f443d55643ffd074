#include "tools/dbtool/catalog_device.h"

#include <cstdio>
#include <set>

#include "core/text_utils.h"
#include "devices/hardware_ids.h"
#include "devices/vendor_names.h"
#include "platform/linux/device_tree.h"

namespace tav::dbtool {

namespace {

using nlohmann::json;

constexpr const char* kMs = "MICROSOFT";
constexpr const char* kLegacyClass = "{8ECC055D-047F-11D1-A537-0000F8753ED1}";

std::string Text(const json& j, const char* key) {
  const auto it = j.find(key);
  return it != j.end() && it->is_string() ? Trim(it->get<std::string>()) : std::string();
}

std::vector<std::string> Upper(const json& j, const char* key) {
  std::vector<std::string> ids;
  const auto it = j.find(key);
  if (it == j.end() || !it->is_array())
    return ids;
  for (const json& id : *it) {
    if (id.is_string())
      ids.push_back(ToUpperAscii(id.get<std::string>()));
  }
  return ids;
}

// The driver version as the PC reads it back: four numbers.
std::string FourPartVersion(const std::string& text) {
  unsigned a = 0, b = 0, c = 0, d = 0;
  char rest = 0;
  const int got = std::sscanf(text.c_str(), "%u.%u.%u.%u%c", &a, &b, &c, &d, &rest);
  if (got < 1 || got > 4 || a > 0xFFFF || b > 0xFFFF || c > 0xFFFF || d > 0xFFFF)
    return {};
  return std::to_string(a) + "." + std::to_string(b) + "." + std::to_string(c) + "." +
         std::to_string(d);
}

std::vector<std::string> InboxPrefixes(const CatalogPc& pc) {
  switch (pc.os_code) {
    case 5:
      return {pc.is_64bit ? "5.2.3790." : "5.1.2600."};
    case 6:
      return {"6.0.6000.", "6.0.6001.", "6.0.6002.", "6.1.6002."};
    case 7:
      return {"6.1.7100.", "6.1.7600.", "6.1.7601."};
    case 8:
      return {"6.2.8400.", "6.2.9200."};
    case 81:
      return {"6.3.9600.", "6.3.9431."};
    case 10:
      return {"10.0.10240."};
    default:
      return {};
  }
}

std::string CodeAfter(const std::string& id, const char* marker) {
  const size_t at = id.find(marker);
  if (at == std::string::npos)
    return {};
  const size_t start = at + 4;
  const size_t end = id.find('&', start);
  return id.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::string VendorOfId(const std::string& id,
                       const std::map<std::string, std::string>& pci,
                       const std::map<std::string, std::string>& usb) {
  const auto p = pci.find(CodeAfter(id, "VEN_"));
  if (p != pci.end())
    return p->second;
  const auto u = usb.find(CodeAfter(id, "VID_"));
  return u != usb.end() ? u->second : std::string();
}

std::string HidVendor(const std::vector<std::string>& ids,
                      const std::map<std::string, std::string>& pci,
                      const std::map<std::string, std::string>& usb) {
  std::string agreed;
  for (const std::string& id : ids) {
    const std::string vendor = VendorOfId(id, pci, usb);
    if (vendor.empty())
      continue;
    if (!agreed.empty() && agreed != vendor)
      return {};
    agreed = vendor;
  }
  return agreed;
}

void ReadDriver(const json& d, const CatalogPc& pc, CatalogDevice* c) {
  const json properties = d.value("properties", json::object());
  const auto driver = d.find("driver");
  c->has_driver = driver != d.end() && driver->is_object();
  c->manufacturer = NormalizeVendor(c->manufacturer_text);
  const std::string dev_mfg = Text(properties, "manufacturer");
  c->dev_manufacturer =
      pc.has_properties ? NormalizeVendor(dev_mfg.empty() ? c->manufacturer_text : dev_mfg) : "";
  if (!c->has_driver)
    return;
  c->provider_text = Text(*driver, "provider");
  c->provider = NormalizeVendor(c->provider_text);
  const std::string dev_provider = Text(properties, "driver_provider");
  c->dev_provider = pc.has_properties
                        ? NormalizeVendor(dev_provider.empty() ? c->provider_text : dev_provider)
                        : "";
  c->version = FourPartVersion(Text(*driver, "version"));
  if (c->version == "0.0.0.0")
    c->version.clear();
  c->date = Text(*driver, "date");
  bool inbox_version = false;
  for (const std::string& prefix : InboxPrefixes(pc))
    inbox_version = inbox_version || StartsWith(c->version, prefix);
  c->inbox = c->provider == kMs && inbox_version;
}

// Devices whose scan could depend on more than their facts: faults, own
// registry values, stored install states, the legacy class, no IDs, absent.
bool IsPlain(const json& d, const CatalogDevice& c, const std::set<std::string>& faulted) {
  if (d.contains("registry") || d.contains("status") || faulted.count(ToUpperAscii(c.instance_id)))
    return false;
  const json properties = d.value("properties", json::object());
  for (const char* key :
       {"driver_version", "driver_date", "bus_reported_description", "friendly_name"}) {
    if (properties.contains(key))
      return false;
  }
  return d.value("present", true) && !c.regular.empty() &&
         ToUpperAscii(c.class_guid) != kLegacyClass && !c.description.empty();
}

std::set<std::string> FaultedDevices(const json& profile, bool* all) {
  std::set<std::string> devices;
  *all = false;
  for (const json& f : profile.value("faults", json::array())) {
    const std::string device = f.is_object() ? Text(f, "device") : "";
    if (device.empty())
      *all = true;
    devices.insert(ToUpperAscii(device));
  }
  return devices;
}

// Instance ID without its last part + name: the device list keeps one section per such key.
std::string DuplicateKey(const CatalogDevice& c,
                         const std::string& friendly,
                         const std::string& desc) {
  const size_t slash = c.instance_id.rfind('\\');
  return ToUpperAscii(c.instance_id.substr(0, slash)) + "|" + (friendly.empty() ? desc : friendly);
}

bool StoredSettingsFor(const json& profile, const std::string& instance_id) {
  const std::string key = ToUpperAscii(
      "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\DriverSettings\\" +
      instance_id);
  for (const json& entry : profile.value("registry", json::array())) {
    if (entry.is_object() && StartsWith(ToUpperAscii(Text(entry, "key")), key))
      return true;
  }
  return false;
}

}  // namespace

CatalogPc ReadCatalogPc(const json& profile) {
  const json os = profile.value("os", json::object());
  const int major = os.value("major", 6), minor = os.value("minor", 1);
  CatalogPc pc;
  pc.is_64bit = os.value("64bit", true);
  pc.has_properties = major >= 6;
  if (major == 5)
    pc.os_code = 5;
  else if (major == 6 && minor == 0)
    pc.os_code = 6;
  else if (major == 6 && minor == 1)
    pc.os_code = 7;
  else if (major == 6 && minor == 2)
    pc.os_code = 8;
  else if (major == 6 && minor == 3)
    pc.os_code = 81;
  else
    pc.os_code = major;
  return pc;
}

std::vector<CatalogDevice> ReadCatalogDevices(const json& profile,
                                              const CatalogPc& pc,
                                              const std::map<std::string, std::string>& pci,
                                              const std::map<std::string, std::string>& usb) {
  std::vector<CatalogDevice> devices;
  bool all_faulted = false;
  const std::set<std::string> faulted = FaultedDevices(profile, &all_faulted);
  std::map<std::string, int> keys;
  std::vector<std::string> device_keys;
  for (const json& d : profile.value("devices", json::array())) {
    if (!d.is_object())
      continue;
    CatalogDevice c;
    c.instance_id = Text(d, "instance_id");
    c.regular = Upper(d, "hardware_ids");
    c.compatible = Upper(d, "compatible_ids");
    const std::string friendly = Text(d, "friendly_name");
    const std::string plain_desc = Text(d, "description");
    c.description = friendly.empty() ? plain_desc : friendly;
    c.class_name = Text(d, "class");
    c.class_guid = Text(d, "class_guid");
    const auto* standard =
        platform::vpc::FindStandardClass(c.class_guid.empty() ? c.class_name : c.class_guid);
    if (standard) {
      c.class_name = c.class_name.empty() ? standard->name : c.class_name;
      c.class_guid = standard->guid;
    }
    c.manufacturer_text = Text(d, "manufacturer");
    ReadDriver(d, pc, &c);
    c.failed =
        d.value("problem", 0u) != 0 && d.value("problem", 0u) != 14 && d.value("problem", 0u) != 22;
    const bool named = !c.manufacturer.empty() || !c.dev_manufacturer.empty() ||
                       !c.provider.empty() || !c.dev_provider.empty();
    c.driverless = c.class_name == "Unknown" || standard == nullptr || !named;
    c.hid_vendor = HidVendor(c.regular, pci, usb);
    c.standard_class = standard != nullptr;
    c.plain = !all_faulted && IsPlain(d, c, faulted) &&
              !StoredSettingsFor(profile, c.instance_id) && d.value("problem", 0u) != 22;
    device_keys.push_back(DuplicateKey(c, friendly, plain_desc));
    ++keys[device_keys.back()];
    devices.push_back(std::move(c));
  }
  for (size_t i = 0; i < devices.size(); ++i) {
    if (keys[device_keys[i]] > 1)
      devices[i].plain = false;
  }
  return devices;
}

IdHits HitsOf(const CatalogDevice& device, const std::string& id) {
  const std::string full = PrepareSqlText(ToUpperAscii(id));
  const std::string reduced = ReduceHardwareId(id);
  IdHits hits;
  auto check = [&](const std::vector<std::string>& list, bool* full_hit, bool* reduced_hit) {
    for (const std::string& own : list) {
      const std::string own_full = PrepareSqlText(own);
      const std::string own_reduced = ReduceHardwareId(own);
      if (own_full == full)
        *full_hit = true;
      if (own_reduced != own_full && own_reduced == reduced)
        *reduced_hit = true;
    }
  };
  check(device.regular, &hits.full_regular, &hits.reduced_regular);
  check(device.compatible, &hits.full_compatible, &hits.reduced_compatible);
  return hits;
}

std::vector<std::string> VendorWords(const CatalogDevice& d) {
  return {d.manufacturer,
          d.dev_manufacturer,
          d.provider,
          d.dev_provider,
          d.hid_vendor,
          NormalizeVendor(d.description),
          NormalizeVendor(d.bus_description)};
}

bool HasMicrosoft(const CatalogDevice& d) {
  for (const std::string& v : {d.manufacturer, d.dev_manufacturer, d.provider, d.dev_provider}) {
    if (v == kMs)
      return true;
  }
  return false;
}

}  // namespace tav::dbtool
