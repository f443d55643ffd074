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

// Every device the PC knows, in enumeration order.
std::vector<DeviceNode> ListDeviceNodes(VirtualPc* pc);
bool FindDeviceNode(VirtualPc* pc, std::string_view instance_id, DeviceNode* node);
bool FindDeviceNodeByOrdinal(VirtualPc* pc, uint32_t ordinal, DeviceNode* node);

// Adds or replaces one device from its profile description (see
// data/machines/README.md for the fields), with the devices of its
// "children" list. All or nothing: false with a reason for bad input, and
// then nothing is written.
bool AddDevice(VirtualPc* pc, const nlohmann::json& device, std::string* error);
// Removes a device: its Enum key, its driver key and its node. Devices its
// service enumerated stay, as their own Enum keys.
bool RemoveDevice(VirtualPc* pc, std::string_view instance_id, std::string* error);
// Changes the node state of a device (present, status, problem).
bool SetDeviceNode(VirtualPc* pc, const DeviceNode& node, std::string* error);
// Imports the "classes" and "devices" lists of a profile.
bool ImportDeviceProfile(VirtualPc* pc, const nlohmann::json& profile, std::string* error);
// A device described as a profile entry again (for "device show" and
// export): AddDevice of the result makes the same device. Fields that hold
// what AddDevice would derive are left out. Null for an unknown device.
nlohmann::json DescribeDevice(VirtualPc* pc, std::string_view instance_id);

// The standard status flags of a started device: DN_NT_DRIVER,
// DN_NT_ENUMERATOR, DN_DISABLEABLE, DN_STARTED, DN_DRIVER_LOADED.
inline constexpr uint32_t kStartedDeviceStatus = 0x0180200A;
// The status Windows gives a device node with that problem code: started
// without one; DN_HAS_PROBLEM and neither started nor loaded with one, and
// DN_NEED_RESTART too for CM_PROB_NEED_RESTART (14). Root-enumerated devices
// carry DN_ROOT_ENUMERATED, legacy drivers DN_LEGACY_DRIVER.
uint32_t DefaultDeviceStatus(std::string_view instance_id,
                             std::string_view class_guid,
                             uint32_t problem);
// The status after the problem code of a node changed from old_problem to
// problem: the problem-dependent flags follow, the others stay.
uint32_t StatusForProblem(uint32_t status, uint32_t old_problem, uint32_t problem);

}  // namespace tav::platform::vpc
