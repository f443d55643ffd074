#include "platform/device_manager.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <unordered_map>

#include "platform/linux/device_faults.h"
#include "platform/linux/device_tree.h"
#include "platform/linux/registry_store.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "platform/win_errors.h"

namespace tav::platform {

using vpc::DeviceNode;
using vpc::RegistryStore;
using vpc::VirtualPc;

namespace {

struct Element {
  DeviceNode node;
  int64_t enum_key = 0;
  std::string class_guid;
};

bool Fail(int32_t* error, int64_t code) {
  if (error)
    *error = static_cast<int32_t>(code);
  return false;
}

std::optional<int64_t> Fault(std::string_view call,
                             std::string_view device = {},
                             std::string_view property = {},
                             std::string_view class_guid = {},
                             int64_t index = -1) {
  return vpc::InjectedFault({call, device, property, class_guid, index});
}

// The Enum value behind each registry property.
const char* EnumValueName(uint32_t property) {
  switch (property) {
    case spdrp::kDeviceDesc:
      return "DeviceDesc";
    case spdrp::kHardwareId:
      return "HardwareID";
    case spdrp::kCompatibleIds:
      return "CompatibleIDs";
    case spdrp::kService:
      return "Service";
    case spdrp::kClass:
      return "Class";
    case spdrp::kClassGuid:
      return "ClassGUID";
    case spdrp::kDriver:
      return "Driver";
    case spdrp::kConfigFlags:
      return "ConfigFlags";
    case spdrp::kMfg:
      return "Mfg";
    case spdrp::kFriendlyName:
      return "FriendlyName";
    case spdrp::kLocationInformation:
      return "LocationInformation";
    case spdrp::kCapabilities:
      return "Capabilities";
    case spdrp::kUiNumber:
      return "UINumber";
    case spdrp::kUpperFilters:
      return "UpperFilters";
    case spdrp::kLowerFilters:
      return "LowerFilters";
    case spdrp::kCharacteristics:
      return "Characteristics";
    case spdrp::kAddress:
      return "Address";
    case spdrp::kUiNumberDescFormat:
      return "UINumberDescFormat";
    default:
      return nullptr;
  }
}

std::string Hex4(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%04X", value);
  return text;
}

bool ParseVersion(const std::string& text, uint64_t* version) {
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (std::sscanf(text.c_str(), "%u.%u.%u.%u", &a, &b, &c, &d) < 1)
    return false;
  *version = (static_cast<uint64_t>(a & 0xFFFF) << 48) | (static_cast<uint64_t>(b & 0xFFFF) << 32) |
             (static_cast<uint64_t>(c & 0xFFFF) << 16) | (d & 0xFFFF);
  return true;
}

std::string KeyString(RegistryStore& store, int64_t key, std::string_view name) {
  RegValue value;
  return store.GetValue(key, name, &value) == 0 ? value.AsString() : std::string();
}

}  // namespace

struct DeviceInfoSet::Impl {
  std::vector<Element> elements;
  // An element's handle finds it at once, as a SetupAPI element does; the
  // scan asks for every device's properties by handle.
  std::unordered_map<uint32_t, size_t> by_ordinal;
  std::map<uint32_t, DeviceInstallParams> install_params;
  std::map<uint32_t, std::vector<DriverInfo>> driver_lists;

  const Element* Find(const DeviceInfoData& data) const {
    const auto it = by_ordinal.find(data.dev_inst);
    return it == by_ordinal.end() ? nullptr : &elements[it->second];
  }
};

DeviceInfoSet::DeviceInfoSet() = default;
DeviceInfoSet::~DeviceInfoSet() = default;
DeviceInfoSet::DeviceInfoSet(DeviceInfoSet&&) noexcept = default;
DeviceInfoSet& DeviceInfoSet::operator=(DeviceInfoSet&&) noexcept = default;

bool DeviceInfoSet::CreateForAllDevices(int32_t* error) {
  impl_.reset();
  if (auto f = Fault("SetupDiGetClassDevs"))
    return Fail(error, *f);
  VirtualPc& pc = VirtualPc::Current();
  RegistryStore store(pc);
  RegistryStore::ReadScope scope(store);
  auto impl = std::make_unique<Impl>();
  for (DeviceNode& node : vpc::ListDeviceNodes(&pc)) {
    Element e;
    if (store.FindKey(RegistryStore::RootId(RegRoot::kLocalMachine),
                      std::string(vpc::kEnumPath) + node.instance_id, &e.enum_key) != 0) {
      continue;  // a node whose device was removed from the registry
    }
    e.class_guid = KeyString(store, e.enum_key, "ClassGUID");
    e.node = std::move(node);
    impl->by_ordinal.emplace(e.node.ordinal, impl->elements.size());
    impl->elements.push_back(std::move(e));
  }
  impl_ = std::move(impl);
  return true;
}

bool DeviceInfoSet::IsValid() const {
  return impl_ != nullptr;
}

bool DeviceInfoSet::Destroy(int32_t* error) {
  if (!impl_)
    return Fail(error, win_error::kInvalidHandle);
  if (auto f = Fault("SetupDiDestroyDeviceInfoList"))
    return Fail(error, *f);
  impl_.reset();
  return true;
}

bool DeviceInfoSet::EnumDeviceInfo(uint32_t index, DeviceInfoData* element, int32_t* error) const {
  if (!impl_)
    return Fail(error, win_error::kInvalidHandle);
  if (index >= impl_->elements.size())
    return Fail(error, win_error::kNoMoreItems);
  const Element& e = impl_->elements[index];
  if (auto f = Fault("SetupDiEnumDeviceInfo", e.node.instance_id, {}, e.class_guid, index))
    return Fail(error, *f);
  element->class_guid = e.class_guid;
  element->dev_inst = e.node.ordinal;
  return true;
}

bool DeviceInfoSet::GetDeviceInstanceId(const DeviceInfoData& element,
                                        std::string* id,
                                        int32_t* error) const {
  const Element* e = impl_ ? impl_->Find(element) : nullptr;
  if (!e)
    return Fail(error, win_error::kInvalidParameter);
  if (auto f = Fault("SetupDiGetDeviceInstanceId", e->node.instance_id, {}, e->class_guid))
    return Fail(error, *f);
  *id = e->node.instance_id;
  return true;
}

bool DeviceInfoSet::GetDeviceRegistryProperty(const DeviceInfoData& element,
                                              uint32_t property,
                                              PropertyValue* value,
                                              int32_t* error) const {
  const Element* e = impl_ ? impl_->Find(element) : nullptr;
  if (!e)
    return Fail(error, win_error::kInvalidParameter);
  if (auto f = Fault("SetupDiGetDeviceRegistryProperty", e->node.instance_id,
                     std::to_string(property), e->class_guid)) {
    return Fail(error, *f);
  }
  const bool present = e->node.present;
  if (property == spdrp::kPhysicalDeviceObjectName) {
    if (!present || e->node.physical_name.empty())
      return Fail(error, win_error::kInvalidData);
    *value = {static_cast<uint32_t>(RegType::kSz), Utf8ToUtf16leBytes(e->node.physical_name, true)};
    return true;
  }
  if (property == spdrp::kInstallState) {
    if (!present)
      return Fail(error, win_error::kInvalidData);
    *value = {static_cast<uint32_t>(RegType::kDword), RegValue::Dword(e->node.install_state).data};
    return true;
  }
  if (property == spdrp::kEnumeratorName) {
    const std::string enumerator = e->node.instance_id.substr(0, e->node.instance_id.find('\\'));
    *value = {static_cast<uint32_t>(RegType::kSz), Utf8ToUtf16leBytes(enumerator, true)};
    return true;
  }
  const char* name = EnumValueName(property);
  if (!name)
    return Fail(error, win_error::kInvalidData);
  RegistryStore store(VirtualPc::Current());
  RegValue stored;
  if (store.GetValue(e->enum_key, name, &stored) != 0)
    return Fail(error, win_error::kInvalidData);
  *value = {static_cast<uint32_t>(stored.type), std::move(stored.data)};
  return true;
}

bool DeviceInfoSet::GetDeviceProperty(const DeviceInfoData& element,
                                      const DevPropKey& key,
                                      PropertyValue* value,
                                      int32_t* error) const {
  const Element* e = impl_ ? impl_->Find(element) : nullptr;
  if (!e)
    return Fail(error, win_error::kInvalidParameter);
  if (!DevicePropertyCallAvailable())
    return Fail(error, win_error::kInvalidFunction);
  if (auto f = Fault("SetupDiGetDeviceProperty", e->node.instance_id,
                     ToUpperAscii(key.fmtid) + " " + std::to_string(key.pid), e->class_guid)) {
    return Fail(error, *f);
  }
  RegistryStore store(VirtualPc::Current());
  int64_t property_key = 0;
  RegValue stored;
  if (store.FindKey(e->enum_key, "Properties\\" + key.fmtid + "\\" + Hex4(key.pid),
                    &property_key) != 0 ||
      store.GetValue(property_key, "", &stored) != 0) {
    return Fail(error, win_error::kNotFound);
  }
  *value = {static_cast<uint32_t>(stored.type) & 0xFFFF, std::move(stored.data)};
  return true;
}

bool DeviceInfoSet::GetDeviceInstallParams(const DeviceInfoData& element,
                                           DeviceInstallParams* params,
                                           int32_t* error) const {
  const Element* e = impl_ ? impl_->Find(element) : nullptr;
  if (!e)
    return Fail(error, win_error::kInvalidParameter);
  if (auto f = Fault("SetupDiGetDeviceInstallParams", e->node.instance_id, {}, e->class_guid))
    return Fail(error, *f);
  const auto it = impl_->install_params.find(element.dev_inst);
  *params = it == impl_->install_params.end() ? DeviceInstallParams() : it->second;
  return true;
}

bool DeviceInfoSet::SetDeviceInstallParams(const DeviceInfoData& element,
                                           const DeviceInstallParams& params,
                                           int32_t* error) {
  const Element* e = impl_ ? impl_->Find(element) : nullptr;
  if (!e)
    return Fail(error, win_error::kInvalidParameter);
  if (auto f = Fault("SetupDiSetDeviceInstallParams", e->node.instance_id, {}, e->class_guid))
    return Fail(error, *f);
  impl_->install_params[element.dev_inst] = params;
  return true;
}

bool DeviceInfoSet::BuildCompatibleDriverList(const DeviceInfoData& element, int32_t* error) {
  const Element* e = impl_ ? impl_->Find(element) : nullptr;
  if (!e)
    return Fail(error, win_error::kInvalidParameter);
  if (auto f = Fault("SetupDiBuildDriverInfoList", e->node.instance_id, {}, e->class_guid))
    return Fail(error, *f);
  std::vector<DriverInfo>& list = impl_->driver_lists[element.dev_inst];
  list.clear();
  // The PC knows the drivers that are installed; the installed-driver flag
  // asks for exactly that one.
  const auto params = impl_->install_params.find(element.dev_inst);
  if (params == impl_->install_params.end() ||
      !(params->second.flags_ex & di_flags_ex::kInstalledDriver)) {
    return true;
  }
  RegistryStore store(VirtualPc::Current());
  RegistryStore::ReadScope scope(store);
  const std::string driver = KeyString(store, e->enum_key, "Driver");
  int64_t driver_key = 0;
  if (driver.empty() || store.FindKey(RegistryStore::RootId(RegRoot::kLocalMachine),
                                      std::string(vpc::kClassPath) + driver, &driver_key) != 0) {
    return true;
  }
  DriverInfo info;
  info.description = KeyString(store, driver_key, "DriverDesc");
  info.manufacturer = KeyString(store, e->enum_key, "Mfg");
  info.provider = KeyString(store, driver_key, "ProviderName");
  ParseVersion(KeyString(store, driver_key, "DriverVersion"), &info.driver_version);
  RegValue date;
  if (store.GetValue(driver_key, "DriverDateData", &date) == 0 && date.data.size() >= 8) {
    std::memcpy(&info.driver_date, date.data.data(), 8);
  }
  info.inf_file = KeyString(store, driver_key, "InfPath");
  info.section = KeyString(store, driver_key, "InfSection");
  info.hardware_id = KeyString(store, driver_key, "MatchingDeviceId");
  list.push_back(std::move(info));
  return true;
}

bool DeviceInfoSet::EnumDriverInfo(const DeviceInfoData& element,
                                   uint32_t index,
                                   DriverInfo* driver,
                                   int32_t* error) const {
  const Element* e = impl_ ? impl_->Find(element) : nullptr;
  if (!e)
    return Fail(error, win_error::kInvalidParameter);
  if (auto f = Fault("SetupDiEnumDriverInfo", e->node.instance_id, {}, e->class_guid))
    return Fail(error, *f);
  const auto it = impl_->driver_lists.find(element.dev_inst);
  if (it == impl_->driver_lists.end() || index >= it->second.size()) {
    return Fail(error, win_error::kNoMoreItems);
  }
  *driver = it->second[index];
  return true;
}

bool DevicePropertyCallAvailable() {
  return VirtualPc::Current().facts().major >= 6;
}

uint32_t GetDevNodeStatus(uint32_t dev_inst, uint32_t* status, uint32_t* problem) {
  DeviceNode node;
  VirtualPc& pc = VirtualPc::Current();
  const bool known = vpc::FindDeviceNodeByOrdinal(&pc, dev_inst, &node);
  if (known) {
    if (auto f = Fault("CM_Get_DevNode_Status", node.instance_id))
      return static_cast<uint32_t>(*f);
  }
  if (!known || !node.present)
    return cr::kNoSuchDevnode;
  *status = node.status;
  *problem = node.problem;
  return cr::kSuccess;
}

namespace {

bool OpenClass(std::string_view class_guid, int64_t* key) {
  RegistryStore store(VirtualPc::Current());
  return !class_guid.empty() &&
         store.FindKey(RegistryStore::RootId(RegRoot::kLocalMachine),
                       std::string(vpc::kClassPath) + std::string(class_guid), key) == 0;
}

}  // namespace

bool GetClassDescription(std::string_view class_guid, std::string* description, int32_t* error) {
  if (auto f = Fault("SetupDiGetClassDescription", {}, {}, class_guid))
    return Fail(error, *f);
  int64_t key = 0;
  if (!OpenClass(class_guid, &key))
    return Fail(error, setup_error::kInvalidClass);
  RegistryStore store(VirtualPc::Current());
  RegValue value;
  if (store.GetValue(key, "", &value) != 0 && store.GetValue(key, "Class", &value) != 0) {
    return Fail(error, setup_error::kInvalidClass);
  }
  *description = value.AsString();
  return true;
}

bool GetClassImageIndex(std::string_view class_guid, int* index, int32_t* error) {
  int64_t key = 0;
  if (!OpenClass(class_guid, &key))
    return Fail(error, setup_error::kInvalidClass);
  RegistryStore store(VirtualPc::Current());
  RegValue value;
  // The class's "Icon" names a resource of the class installer as a negative
  // number; the PC's system image list keeps the classes' images at those places.
  const std::string icon = store.GetValue(key, "Icon", &value) == 0 ? value.AsString() : "";
  const int number = icon.empty() ? 18 : std::abs(std::atoi(icon.c_str()));
  *index = number;
  return true;
}

bool GetClassGuids(std::vector<std::string>* guids, int32_t* error) {
  guids->clear();
  RegistryStore store(VirtualPc::Current());
  int64_t key = 0;
  if (store.FindKey(RegistryStore::RootId(RegRoot::kLocalMachine), vpc::kClassPath, &key) != 0) {
    return Fail(error, win_error::kFileNotFound);
  }
  return store.SubKeyNames(key, guids) == 0;
}

}  // namespace tav::platform
