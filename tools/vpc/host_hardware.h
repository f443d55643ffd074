// The PCI and USB devices of the Linux machine the tool runs on, as sysfs
// shows them, and their names from the hwdata lists (pci.ids, usb.ids).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tav::vpc_tool {

struct PciFunction {
  std::string address;  // "0000:00:1c.4"
  std::string bridge;   // address of the bridge it sits behind; empty on a root bus
  int root_bus = 0;     // which host bridge ("pci0000:00" is 0, the next one 1, ...)
  uint16_t vendor = 0, device = 0, subsystem_vendor = 0, subsystem_device = 0;
  uint8_t revision = 0;
  uint32_t class_code = 0;  // base class, sub-class, programming interface
  uint8_t devfn = 0;        // device << 3 | function
};

struct UsbInterface {
  uint8_t number = 0, cls = 0, subclass = 0, protocol = 0;
};

struct UsbDevice {
  std::string name;        // "usb1" (a root hub), "1-1.2"
  std::string parent;      // the hub above; empty for a root hub
  std::string controller;  // PCI address of a root hub's host controller, when known
  uint16_t vendor = 0, product = 0, bcd_device = 0;
  uint16_t usb_version = 0;  // bcdUSB: 0x0200, 0x0300, ...
  uint8_t cls = 0, subclass = 0, protocol = 0;
  unsigned num_interfaces = 0, num_configurations = 1;
  unsigned port = 0;  // the port of the hub above
  std::string serial, product_text, manufacturer_text;
  std::vector<UsbInterface> interfaces;  // of the active configuration, by number
  bool is_root_hub() const { return parent.empty(); }
};

struct HostHardware {
  std::vector<PciFunction> pci;  // by address
  std::vector<UsbDevice> usb;    // by bus, then port path: every hub before what hangs on it
  bool has_usb_bus = false;
};

// Reads sysfs below root ("/sys"). False with a reason when root has no PCI bus.
bool ReadHostHardware(const std::string& root, HostHardware* hardware, std::string* error);

// A hwdata list: vendors with their devices, and (usb.ids) device classes.
class IdNames {
 public:
  bool Load(const std::string& path);
  std::string Vendor(uint16_t vendor) const;
  std::string Device(uint16_t vendor, uint16_t device) const;
  std::string Class(uint8_t cls) const;

 private:
  std::map<uint16_t, std::string> vendors_;
  std::map<uint32_t, std::string> devices_;
  std::map<uint8_t, std::string> classes_;
};

}  // namespace tav::vpc_tool
