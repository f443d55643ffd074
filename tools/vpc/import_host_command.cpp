// tavrolin-vpc import-host [--out FILE] [--sysfs DIR] [--hwdata DIR]
//
// A profile of the default PC whose devices are this Linux machine's PCI and
// USB devices, named and identified the way Windows names and identifies
// them. Drivers are not guessed: the devices carry no driver keys.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>

#include <nlohmann/json.hpp>

#include "platform/linux/virtual_pc.h"
#include "tools/vpc/commands.h"
#include "tools/vpc/console.h"
#include "tools/vpc/host_file.h"
#include "tools/vpc/host_hardware.h"

namespace tav::vpc_tool {

namespace {

using json = nlohmann::ordered_json;

std::string Hex(uint32_t value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*X", digits, value);
  return text;
}

// A ParentIdPrefix in Windows' shape: the level below the parent, a hash
// of the parent's instance ID, and 0.
std::string ParentIdPrefix(int level, const std::string& parent_instance_id) {
  uint32_t hash = 2166136261u;
  for (char c : parent_instance_id)
    hash = (hash ^ static_cast<uint8_t>(c)) * 16777619u;
  char text[32];
  std::snprintf(text, sizeof text, "%d&%x&0", level, hash);
  return text;
}

// The setup class Windows installs a PCI function in, by its class code;
// empty when no inbox driver takes it (the device stays without a driver).
std::string PciSetupClass(uint32_t class_code) {
  const uint32_t base = class_code >> 16;
  const uint32_t sub = (class_code >> 8) & 0xFF;
  switch (base) {
    case 0x01:
      return (sub == 0x01 || sub == 0x06) ? "hdc" : "SCSIAdapter";
    case 0x02:
      return "Net";
    case 0x03:
      return "Display";
    case 0x04:
      return sub == 0x03 ? "System" : "MEDIA";
    case 0x05:
    case 0x06:
      return "System";
    case 0x07:
      if (sub == 0x00 || sub == 0x01)
        return "Ports";
      return sub == 0x03 ? "Modem" : "System";
    case 0x08:
      return sub == 0x05 ? "SDHost" : "System";
    case 0x09:
      return sub == 0x00 ? "Keyboard" : sub == 0x02 ? "Mouse" : "HIDClass";
    case 0x0B:
      return "Processor";
    case 0x0C:
      if (sub == 0x00)
        return "1394";
      if (sub == 0x03)
        return "USB";
      return sub == 0x04 ? "SCSIAdapter" : "System";
    case 0x0D:
      return sub == 0x11 ? "Bluetooth" : "Net";
    case 0x0A:
    case 0x0E:
    case 0x10:
    case 0x11:
      return "System";
    default:
      return "";
  }
}

// The setup class of a USB function (a whole device or one interface).
std::string UsbSetupClass(uint8_t cls, uint8_t subclass, uint8_t protocol) {
  switch (cls) {
    case 0x01:
      return "MEDIA";
    case 0x02:
      return subclass == 0x02 ? "Ports" : "Net";
    case 0x03:
      return "HIDClass";
    case 0x06:
    case 0x0E:
      return "Image";
    case 0x07:
    case 0x08:
    case 0x09:
      return "USB";
    case 0x0B:
      return "SmartCardReader";
    case 0xE0:
      return (subclass == 0x01 && protocol == 0x01) ? "Bluetooth" : "";
    default:
      return "";
  }
}

// A device Windows has no driver for: "Other devices", problem 28.
void MarkWithoutDriver(json* device) {
  (*device)["class"] = "Unknown";
  (*device)["problem"] = 28;
}

std::string ClassTriple(const char* prefix,
                        uint8_t cls,
                        uint8_t subclass,
                        uint8_t protocol,
                        int parts) {
  std::string id = std::string("USB\\") + prefix + "_" + Hex(cls, 2);
  if (parts > 1)
    id += "&SubClass_" + Hex(subclass, 2);
  if (parts > 2)
    id += "&Prot_" + Hex(protocol, 2);
  return id;
}

json ClassIds(const char* prefix, uint8_t cls, uint8_t subclass, uint8_t protocol) {
  return json::array({ClassTriple(prefix, cls, subclass, protocol, 3),
                      ClassTriple(prefix, cls, subclass, protocol, 2),
                      ClassTriple(prefix, cls, subclass, protocol, 1)});
}

// Windows takes a serial number as the instance when it is plain text.
bool UsableSerial(const std::string& serial) {
  if (serial.empty() || serial.size() > 126)
    return false;
  for (char c : serial) {
    if (c <= 0x20 || c >= 0x7F || c == ',')
      return false;
  }
  return true;
}

class Builder {
 public:
  Builder(const HostHardware& hw, const IdNames& pci_names, const IdNames& usb_names)
      : hw_(hw), pci_names_(pci_names), usb_names_(usb_names) {}

  json Devices() {
    AddPci();
    AddUsb();
    return devices_;
  }

 private:
  void AddPci() {
    std::map<int, size_t> roots;
    for (const PciFunction& f : hw_.pci) {
      if (roots.count(f.root_bus))
        continue;
      const std::string id = "ACPI\\PNP0A08\\" + std::to_string(f.root_bus);
      roots[f.root_bus] = devices_.size();
      pci_child_level_[RootKey(f.root_bus)] = 3;
      pci_prefix_[RootKey(f.root_bus)] = ParentIdPrefix(3, id);
      devices_.push_back({{"instance_id", id},
                          {"class", "System"},
                          {"description", "PCI bus"},
                          {"manufacturer", "(Standard system devices)"},
                          {"hardware_ids", {"ACPI\\PNP0A08", "*PNP0A08"}},
                          {"compatible_ids", {"ACPI\\PNP0A03", "*PNP0A03"}},
                          {"service", "pci"},
                          {"parent_id_prefix", pci_prefix_[RootKey(f.root_bus)]}});
    }
    for (const PciFunction& f : hw_.pci)
      AddPciFunction(f);
  }

  static std::string RootKey(int bus) { return "root:" + std::to_string(bus); }

  std::string ParentKey(const PciFunction& f) const {
    return f.bridge.empty() ? RootKey(f.root_bus) : f.bridge;
  }

  // The part after the prefix: the function's device and function numbers,
  // then those of each bridge above it.
  std::string UniqueId(const PciFunction& f) const {
    std::string uid = Hex(f.devfn, 2);
    for (std::string up = f.bridge; !up.empty();) {
      const PciFunction* bridge = FindPci(up);
      if (!bridge)
        break;
      uid += Hex(bridge->devfn, 2);
      up = bridge->bridge;
    }
    return uid;
  }

  const PciFunction* FindPci(const std::string& address) const {
    for (const PciFunction& f : hw_.pci) {
      if (f.address == address)
        return &f;
    }
    return nullptr;
  }

  void AddPciFunction(const PciFunction& f) {
    const std::string ven = "VEN_" + Hex(f.vendor, 4);
    const std::string base = "PCI\\" + ven + "&DEV_" + Hex(f.device, 4);
    const std::string subsys = "&SUBSYS_" + Hex(f.subsystem_device, 4) + Hex(f.subsystem_vendor, 4);
    const std::string rev = "&REV_" + Hex(f.revision, 2);
    const std::string cc6 = "CC_" + Hex(f.class_code, 6);
    const std::string cc4 = "CC_" + Hex(f.class_code >> 8, 4);
    const std::string parent = ParentKey(f);
    const std::string id = base + subsys + rev + "\\" + pci_prefix_[parent] + "&" + UniqueId(f);
    json d = {
        {"instance_id", id},
        {"hardware_ids", {base + subsys + rev, base + subsys, base + "&" + cc6, base + "&" + cc4}},
        {"compatible_ids",
         {base + rev, base, "PCI\\" + ven + "&" + cc6, "PCI\\" + ven + "&" + cc4, "PCI\\" + ven,
          "PCI\\" + cc6, "PCI\\" + cc4}}};
    std::string name = pci_names_.Device(f.vendor, f.device);
    d["description"] = name.empty() ? "PCI Device" : name;
    const std::string vendor = pci_names_.Vendor(f.vendor);
    if (!vendor.empty())
      d["manufacturer"] = vendor;
    const std::string setup_class = PciSetupClass(f.class_code);
    if (setup_class.empty()) {
      MarkWithoutDriver(&d);
    } else {
      d["class"] = setup_class;
    }
    // Bridges enumerate what sits behind them, as the PCI bus does.
    const bool has_children =
        std::any_of(hw_.pci.begin(), hw_.pci.end(),
                    [&](const PciFunction& o) { return o.bridge == f.address; });
    const int level = pci_child_level_[parent] + 1;
    if (has_children) {
      d["service"] = "pci";
      pci_child_level_[f.address] = level;
      pci_prefix_[f.address] = ParentIdPrefix(level, id);
      d["parent_id_prefix"] = pci_prefix_[f.address];
    }
    if ((f.class_code >> 8) == 0x0C03) {
      // A USB host controller: its root hub's instance is its ParentIdPrefix.
      pci_child_level_[f.address] = level;
      pci_prefix_[f.address] = ParentIdPrefix(level, id);
      d["parent_id_prefix"] = pci_prefix_[f.address];
    }
    devices_.push_back(d);
  }

  void AddUsb() {
    for (const UsbDevice& u : hw_.usb) {
      if (u.is_root_hub()) {
        AddRootHub(u);
      } else {
        AddUsbDevice(u);
      }
    }
  }

  void AddRootHub(const UsbDevice& u) {
    const char* kind = u.usb_version >= 0x0300   ? "ROOT_HUB30"
                       : u.usb_version >= 0x0200 ? "ROOT_HUB20"
                                                 : "ROOT_HUB";
    const std::string base = std::string("USB\\") + kind;
    const PciFunction* controller = FindPci(u.controller);
    int level = 4;
    std::string instance;
    json hardware = json::array();
    if (controller) {
      const std::string vp =
          "&VID" + Hex(controller->vendor, 4) + "&PID" + Hex(controller->device, 4);
      hardware.push_back(base + vp + "&REV" + Hex(controller->revision, 4));
      hardware.push_back(base + vp);
      level = pci_child_level_[controller->address];
      instance = pci_prefix_[controller->address];
    } else {
      instance = ParentIdPrefix(level, u.name);
    }
    hardware.push_back(base);
    const std::string id = base + "\\" + instance;
    usb_level_[u.name] = level + 1;
    usb_prefix_[u.name] = ParentIdPrefix(level + 1, id);
    devices_.push_back({{"instance_id", id},
                        {"class", "USB"},
                        {"description", "USB Root Hub"},
                        {"manufacturer", "(Standard USB Host Controller)"},
                        {"hardware_ids", hardware},
                        {"service", "usbhub"},
                        {"parent_id_prefix", usb_prefix_[u.name]}});
  }

  void AddUsbDevice(const UsbDevice& u) {
    const std::string vp = "VID_" + Hex(u.vendor, 4) + "&PID_" + Hex(u.product, 4);
    const std::string rev = "&REV_" + Hex(u.bcd_device, 4);
    const int level = usb_level_.count(u.parent) ? usb_level_[u.parent] : 6;
    const std::string hub_prefix =
        usb_prefix_.count(u.parent) ? usb_prefix_[u.parent] : ParentIdPrefix(level, u.parent);
    const std::string instance =
        UsableSerial(u.serial) ? u.serial : hub_prefix + "&" + std::to_string(u.port);
    const std::string id = "USB\\" + vp + "\\" + instance;
    const bool iad = u.cls == 0xEF && u.subclass == 0x02 && u.protocol == 0x01;
    const bool composite =
        (u.cls == 0x00 || iad) && u.interfaces.size() > 1 && u.num_configurations == 1;

    json d = {{"instance_id", id}, {"hardware_ids", {"USB\\" + vp + rev, "USB\\" + vp}}};
    const std::string product = usb_names_.Device(u.vendor, u.product);
    const std::string name = !product.empty()          ? product
                             : !u.product_text.empty() ? u.product_text
                                                       : "USB Device";
    d["description"] = name;
    const std::string vendor = usb_names_.Vendor(u.vendor);
    if (!vendor.empty() || !u.manufacturer_text.empty())
      d["manufacturer"] = vendor.empty() ? u.manufacturer_text : vendor;
    if (!u.product_text.empty())
      d["properties"] = {{"bus_reported_description", u.product_text}};

    std::string setup_class;
    if (composite) {
      json compatible = ClassIds("DevClass", u.cls, u.subclass, u.protocol);
      compatible.push_back("USB\\COMPOSITE");
      d["compatible_ids"] = compatible;
      d["service"] = "usbccgp";
      setup_class = "USB";
    } else {
      // The class comes from the device, or from its interface when the
      // device leaves it to the interface.
      uint8_t cls = u.cls, subclass = u.subclass, protocol = u.protocol;
      if (cls == 0x00 && !u.interfaces.empty()) {
        cls = u.interfaces[0].cls;
        subclass = u.interfaces[0].subclass;
        protocol = u.interfaces[0].protocol;
      }
      d["compatible_ids"] = ClassIds("Class", cls, subclass, protocol);
      setup_class = UsbSetupClass(cls, subclass, protocol);
      if (cls == 0x09)
        d["service"] = "usbhub";
    }
    if (setup_class.empty()) {
      MarkWithoutDriver(&d);
    } else {
      d["class"] = setup_class;
    }
    const bool is_hub = u.cls == 0x09;
    if (is_hub || composite) {
      usb_level_[u.name] = level + 1;
      usb_prefix_[u.name] = ParentIdPrefix(level + 1, id);
      d["parent_id_prefix"] = usb_prefix_[u.name];
    }
    devices_.push_back(d);
    if (composite)
      AddInterfaces(u, vp, rev, usb_prefix_[u.name], name);
  }

  void AddInterfaces(const UsbDevice& u,
                     const std::string& vp,
                     const std::string& rev,
                     const std::string& prefix,
                     const std::string& device_name) {
    for (const UsbInterface& i : u.interfaces) {
      const std::string mi = "&MI_" + Hex(i.number, 2);
      json d = {{"instance_id", "USB\\" + vp + mi + "\\" + prefix + "&" + Hex(i.number, 4)},
                {"hardware_ids", {"USB\\" + vp + rev + mi, "USB\\" + vp + mi}},
                {"compatible_ids", ClassIds("Class", i.cls, i.subclass, i.protocol)}};
      const std::string class_name = usb_names_.Class(i.cls);
      d["description"] = class_name.empty() || i.cls == 0xFF ? device_name : class_name;
      const std::string vendor = usb_names_.Vendor(u.vendor);
      if (!vendor.empty())
        d["manufacturer"] = vendor;
      const std::string setup_class = UsbSetupClass(i.cls, i.subclass, i.protocol);
      if (setup_class.empty()) {
        MarkWithoutDriver(&d);
        if (!u.product_text.empty())
          d["properties"] = {{"bus_reported_description", u.product_text}};
      } else {
        d["class"] = setup_class;
      }
      devices_.push_back(d);
    }
  }

  const HostHardware& hw_;
  const IdNames& pci_names_;
  const IdNames& usb_names_;
  json devices_ = json::array();
  std::map<std::string, std::string> pci_prefix_;
  std::map<std::string, int> pci_child_level_;
  std::map<std::string, std::string> usb_prefix_;
  std::map<std::string, int> usb_level_;
};

std::string HostName() {
  char name[256] = {};
  return gethostname(name, sizeof name - 1) == 0 ? std::string(name) : std::string("this machine");
}

}  // namespace

int RunImportHost(const Args& args) {
  std::string out, sysfs = "/sys", hwdata = "/usr/share/hwdata";
  for (size_t i = 0; i < args.size(); ++i) {
    std::string* target = args[i] == "--out"      ? &out
                          : args[i] == "--sysfs"  ? &sysfs
                          : args[i] == "--hwdata" ? &hwdata
                                                  : nullptr;
    if (!target)
      return UsageError("import-host: unexpected argument \"" + args[i] + "\"");
    if (++i >= args.size() || args[i].empty())
      return UsageError("import-host: " + args[i - 1] + " needs a value");
    *target = args[i];
  }
  HostHardware hw;
  std::string error;
  if (!ReadHostHardware(sysfs, &hw, &error)) {
    PrintErrorLine("tavrolin-vpc: import-host: " + error);
    return 1;
  }
  IdNames pci_names, usb_names;
  if (!pci_names.Load(hwdata + "/pci.ids"))
    PrintErrorLine("tavrolin-vpc: import-host: no " + hwdata +
                   "/pci.ids; PCI devices stay unnamed");
  if (hw.has_usb_bus && !usb_names.Load(hwdata + "/usb.ids"))
    PrintErrorLine("tavrolin-vpc: import-host: no " + hwdata +
                   "/usb.ids; USB devices stay unnamed");

  json profile = json::parse(platform::vpc::VirtualPc::DefaultProfile());
  profile.erase("devices");
  profile.erase("faults");
  profile["description"] = "The default PC with the PCI and USB devices of " + HostName();
  profile["devices"] = Builder(hw, pci_names, usb_names).Devices();
  const std::string text = profile.dump(2) + "\n";
  if (out.empty()) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
  }
  if (!WriteHostFile(out, text)) {
    PrintErrorLine("tavrolin-vpc: import-host: cannot write " + out);
    return 1;
  }
  PrintLine("Wrote a profile with " + std::to_string(profile["devices"].size()) + " devices to " +
            out);
  return 0;
}

}  // namespace tav::vpc_tool
