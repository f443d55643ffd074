// The virtual PC's device tree, stored the way Windows stores it:
//
//   HKLM\SYSTEM\CurrentControlSet\Enum\<instance ID>    the device's values
//     (DeviceDesc, HardwareID, CompatibleIDs, Mfg, FriendlyName, Class,
//     ClassGUID, Driver, Service, ParentIdPrefix, ConfigFlags, ...)
//   ...\Enum\<instance ID>\Properties\{fmtid}\<pid>    device properties, as
//     the default value with type 0xFFFF0000 | DEVPROPTYPE
//   HKLM\SYSTEM\CurrentControlSet\Control\Class\{guid}  class name ("Class"),
//     description (default value), image ("Icon")
//   ...\Class\{guid}\NNNN                               the driver key
//
// plus what Windows keeps in the kernel: the device nodes of present devices
// (status flags, problem code, install state, device object name) and the
// enumeration order, in the machine database's device_nodes table.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/linux/virtual_pc.h"

namespace tav::platform::vpc {

inline constexpr std::string_view kEnumPath = "SYSTEM\\CurrentControlSet\\Enum\\";
inline constexpr std::string_view kClassPath = "SYSTEM\\CurrentControlSet\\Control\\Class\\";

struct DeviceNode {
  std::string instance_id;
  uint32_t ordinal = 0;  // the device-node handle
  bool present = false;
  uint32_t status = 0;
  uint32_t problem = 0;
  uint32_t install_state = 0;
  std::string physical_name;
};

struct SetupClass {
  std::string guid;  // upper-case, in braces
  std::string name;
  std::string description;
  int icon = 0;
};

// The setup classes every Windows has, by name and GUID.
const std::vector<SetupClass>& StandardSetupClasses();
const SetupClass* FindStandardClass(std::string_view name_or_guid);

void EnsureDeviceTables(VirtualPc* pc);
// Every device the PC knows, in enumeration order.
std::vector<DeviceNode> ListDeviceNodes(VirtualPc* pc);
bool FindDeviceNode(VirtualPc* pc, std::string_view instance_id, DeviceNode* node);
bool FindDeviceNodeByOrdinal(VirtualPc* pc, uint32_t ordinal, DeviceNode* node);

// Adds or replaces one device from its profile description (see
// data/machines/README.md for the fields). False with a reason for bad input.
bool AddDevice(VirtualPc* pc, const nlohmann::json& device, std::string* error);
// Removes a device: its Enum key, its driver key and its node.
bool RemoveDevice(VirtualPc* pc, std::string_view instance_id, std::string* error);
// Changes the node state of a device (present, status, problem).
bool SetDeviceNode(VirtualPc* pc, const DeviceNode& node, std::string* error);
// Imports the "classes" and "devices" lists of a profile.
bool ImportDeviceProfile(VirtualPc* pc, const nlohmann::json& profile, std::string* error);
// A device described as a profile entry again (for "device show" and export).
nlohmann::json DescribeDevice(VirtualPc* pc, std::string_view instance_id);

// The standard status flags of a started device.
inline constexpr uint32_t kStartedDeviceStatus = 0x0180200A;

}  // namespace tav::platform::vpc
