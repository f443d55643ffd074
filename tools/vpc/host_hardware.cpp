#include "tools/vpc/host_hardware.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace tav::vpc_tool {

namespace {

namespace fs = std::filesystem;

std::string ReadAttribute(const fs::path& folder, const char* name) {
  std::ifstream in(folder / name, std::ios::binary);
  if (!in)
    return "";
  std::stringstream text;
  text << in.rdbuf();
  std::string value = text.str();
  const size_t begin = value.find_first_not_of(" \t\r\n");
  if (begin == std::string::npos)
    return "";
  const size_t end = value.find_last_not_of(" \t\r\n");
  return value.substr(begin, end - begin + 1);
}

// sysfs numbers: "0x8086", "046d", "0x060400".
uint32_t Hex(const std::string& text) {
  try {
    return static_cast<uint32_t>(std::stoul(text, nullptr, 16));
  } catch (const std::exception&) {
    return 0;
  }
}

// A BCD version in the text form " 2.00" of the "version" attribute.
uint16_t BcdVersion(const std::string& text) {
  unsigned major = 0, minor = 0;
  if (std::sscanf(text.c_str(), "%u.%x", &major, &minor) < 1)
    return 0;
  return static_cast<uint16_t>((major << 8) | (minor & 0xFF));
}

bool IsPciAddress(const std::string& name) {
  unsigned domain = 0, bus = 0, device = 0, function = 0;
  char tail = 0;
  return std::sscanf(name.c_str(), "%4x:%2x:%2x.%1x%c", &domain, &bus, &device, &function, &tail) ==
         4;
}

void ReadPci(const fs::path& root, HostHardware* hw) {
  std::error_code ec;
  std::vector<std::string> roots;
  for (const auto& entry : fs::directory_iterator(root / "bus/pci/devices", ec)) {
    PciFunction f;
    f.address = entry.path().filename().string();
    const fs::path folder = fs::canonical(entry.path(), ec);
    if (ec || !IsPciAddress(f.address))
      continue;
    // .../devices/pci0000:00/0000:00:1c.4/0000:03:00.0: the bridges above,
    // then the host bridge's folder.
    const std::string above = folder.parent_path().filename().string();
    if (IsPciAddress(above)) {
      f.bridge = above;
    }
    fs::path host = folder.parent_path();
    while (!host.empty() && IsPciAddress(host.filename().string()))
      host = host.parent_path();
    const std::string host_name = host.filename().string();
    auto known = std::find(roots.begin(), roots.end(), host_name);
    if (known == roots.end())
      known = roots.insert(roots.end(), host_name);
    f.root_bus = static_cast<int>(known - roots.begin());
    f.vendor = static_cast<uint16_t>(Hex(ReadAttribute(folder, "vendor")));
    f.device = static_cast<uint16_t>(Hex(ReadAttribute(folder, "device")));
    f.subsystem_vendor = static_cast<uint16_t>(Hex(ReadAttribute(folder, "subsystem_vendor")));
    f.subsystem_device = static_cast<uint16_t>(Hex(ReadAttribute(folder, "subsystem_device")));
    f.revision = static_cast<uint8_t>(Hex(ReadAttribute(folder, "revision")));
    f.class_code = Hex(ReadAttribute(folder, "class")) & 0xFFFFFF;
    unsigned domain = 0, bus = 0, device = 0, function = 0;
    std::sscanf(f.address.c_str(), "%x:%x:%x.%x", &domain, &bus, &device, &function);
    f.devfn = static_cast<uint8_t>((device << 3) | function);
    hw->pci.push_back(std::move(f));
  }
  // Host bridges in the order of their names, so that bus numbers follow sysfs.
  std::vector<std::string> sorted = roots;
  std::sort(sorted.begin(), sorted.end());
  for (PciFunction& f : hw->pci) {
    f.root_bus = static_cast<int>(std::find(sorted.begin(), sorted.end(), roots[f.root_bus]) -
                                  sorted.begin());
  }
  std::sort(hw->pci.begin(), hw->pci.end(),
            [](const PciFunction& a, const PciFunction& b) { return a.address < b.address; });
}

// "usb1" is bus 1 with no ports; "1-1.4" is bus 1, port 1, then port 4.
bool ParseUsbName(const std::string& name, unsigned* bus, std::vector<unsigned>* ports) {
  ports->clear();
  if (name.rfind("usb", 0) == 0) {
    return std::sscanf(name.c_str() + 3, "%u", bus) == 1;
  }
  if (name.find(':') != std::string::npos)
    return false;
  const size_t dash = name.find('-');
  if (dash == std::string::npos || std::sscanf(name.c_str(), "%u", bus) != 1)
    return false;
  std::stringstream rest(name.substr(dash + 1));
  std::string part;
  while (std::getline(rest, part, '.')) {
    if (part.empty() || part.find_first_not_of("0123456789") != std::string::npos)
      return false;
    ports->push_back(static_cast<unsigned>(std::stoul(part)));
  }
  return !ports->empty();
}

void ReadUsb(const fs::path& root, HostHardware* hw) {
  std::error_code ec;
  const fs::path bus_folder = root / "bus/usb/devices";
  hw->has_usb_bus = fs::is_directory(bus_folder, ec);
  struct Sorted {
    unsigned bus;
    std::vector<unsigned> ports;
    UsbDevice device;
  };
  std::vector<Sorted> found;
  for (const auto& entry : fs::directory_iterator(bus_folder, ec)) {
    Sorted s;
    UsbDevice& d = s.device;
    d.name = entry.path().filename().string();
    if (!ParseUsbName(d.name, &s.bus, &s.ports))
      continue;
    const fs::path folder = fs::canonical(entry.path(), ec);
    if (ec)
      continue;
    const std::string above = folder.parent_path().filename().string();
    if (s.ports.empty()) {
      if (IsPciAddress(above))
        d.controller = above;
    } else {
      d.parent = above;
      d.port = s.ports.back();
    }
    d.vendor = static_cast<uint16_t>(Hex(ReadAttribute(folder, "idVendor")));
    d.product = static_cast<uint16_t>(Hex(ReadAttribute(folder, "idProduct")));
    d.bcd_device = static_cast<uint16_t>(Hex(ReadAttribute(folder, "bcdDevice")));
    d.usb_version = BcdVersion(ReadAttribute(folder, "version"));
    d.cls = static_cast<uint8_t>(Hex(ReadAttribute(folder, "bDeviceClass")));
    d.subclass = static_cast<uint8_t>(Hex(ReadAttribute(folder, "bDeviceSubClass")));
    d.protocol = static_cast<uint8_t>(Hex(ReadAttribute(folder, "bDeviceProtocol")));
    const std::string interfaces = ReadAttribute(folder, "bNumInterfaces");
    d.num_interfaces = interfaces.empty() ? 0 : static_cast<unsigned>(std::stoul(interfaces));
    const std::string configurations = ReadAttribute(folder, "bNumConfigurations");
    if (!configurations.empty())
      d.num_configurations = static_cast<unsigned>(std::stoul(configurations));
    d.serial = ReadAttribute(folder, "serial");
    d.product_text = ReadAttribute(folder, "product");
    d.manufacturer_text = ReadAttribute(folder, "manufacturer");
    for (const auto& sub : fs::directory_iterator(folder, ec)) {
      const std::string sub_name = sub.path().filename().string();
      if (sub_name.rfind(d.name + ":", 0) != 0)
        continue;
      UsbInterface i;
      i.number = static_cast<uint8_t>(Hex(ReadAttribute(sub.path(), "bInterfaceNumber")));
      i.cls = static_cast<uint8_t>(Hex(ReadAttribute(sub.path(), "bInterfaceClass")));
      i.subclass = static_cast<uint8_t>(Hex(ReadAttribute(sub.path(), "bInterfaceSubClass")));
      i.protocol = static_cast<uint8_t>(Hex(ReadAttribute(sub.path(), "bInterfaceProtocol")));
      // Alternate settings of one interface share its number.
      const bool seen = std::any_of(d.interfaces.begin(), d.interfaces.end(),
                                    [&](const UsbInterface& o) { return o.number == i.number; });
      if (!seen)
        d.interfaces.push_back(i);
    }
    std::sort(d.interfaces.begin(), d.interfaces.end(),
              [](const UsbInterface& a, const UsbInterface& b) { return a.number < b.number; });
    found.push_back(std::move(s));
  }
  std::sort(found.begin(), found.end(), [](const Sorted& a, const Sorted& b) {
    return a.bus != b.bus ? a.bus < b.bus : a.ports < b.ports;
  });
  for (Sorted& s : found)
    hw->usb.push_back(std::move(s.device));
}

}  // namespace

bool ReadHostHardware(const std::string& root, HostHardware* hw, std::string* error) {
  *hw = HostHardware();
  std::error_code ec;
  const fs::path pci = fs::path(root) / "bus/pci/devices";
  if (!fs::is_directory(pci, ec)) {
    *error = "no PCI bus in " + pci.string() + " (is sysfs mounted at " + root + "?)";
    return false;
  }
  ReadPci(root, hw);
  ReadUsb(root, hw);
  return true;
}

bool IdNames::Load(const std::string& path) {
  std::ifstream in(path);
  if (!in)
    return false;
  enum class Section { kNone, kVendor, kClass } section = Section::kNone;
  uint16_t vendor = 0;
  std::string line;
  auto is_hex = [](const std::string& text, size_t from, size_t count) {
    if (text.size() < from + count)
      return false;
    for (size_t i = from; i < from + count; ++i) {
      if (!std::isxdigit(static_cast<unsigned char>(text[i])))
        return false;
    }
    return true;
  };
  auto name_after = [](const std::string& text, size_t from) {
    const size_t begin = text.find_first_not_of(" \t", from);
    return begin == std::string::npos ? std::string() : text.substr(begin);
  };
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    if (line.empty() || line[0] == '#')
      continue;
    if (line[0] != '\t') {
      if (is_hex(line, 0, 4) && line.size() > 4 && line[4] == ' ') {
        section = Section::kVendor;
        vendor = static_cast<uint16_t>(std::stoul(line.substr(0, 4), nullptr, 16));
        vendors_[vendor] = name_after(line, 4);
      } else if (line.rfind("C ", 0) == 0 && is_hex(line, 2, 2)) {
        section = Section::kClass;
        classes_[static_cast<uint8_t>(std::stoul(line.substr(2, 2), nullptr, 16))] =
            name_after(line, 4);
      } else {
        section = Section::kNone;
      }
      continue;
    }
    if (section == Section::kVendor && line.size() > 1 && line[1] != '\t' && is_hex(line, 1, 4)) {
      const auto device = static_cast<uint16_t>(std::stoul(line.substr(1, 4), nullptr, 16));
      devices_[(static_cast<uint32_t>(vendor) << 16) | device] = name_after(line, 5);
    }
  }
  return true;
}

std::string IdNames::Vendor(uint16_t vendor) const {
  const auto it = vendors_.find(vendor);
  return it == vendors_.end() ? std::string() : it->second;
}

std::string IdNames::Device(uint16_t vendor, uint16_t device) const {
  const auto it = devices_.find((static_cast<uint32_t>(vendor) << 16) | device);
  return it == devices_.end() ? std::string() : it->second;
}

std::string IdNames::Class(uint8_t cls) const {
  const auto it = classes_.find(cls);
  return it == classes_.end() ? std::string() : it->second;
}

}  // namespace tav::vpc_tool
