#include "platform/linux/device_tree.h"

#include <cstdio>
#include <cstring>

#include "platform/clock.h"
#include "platform/linux/registry_store.h"
#include "platform/linux/virtual_pc_setup.h"
#include "platform/text.h"
#include "platform/win_errors.h"

namespace tav::platform::vpc {

namespace {

constexpr uint32_t kDevPropString = 0x12;
constexpr uint32_t kDevPropFileTime = 0x10;
constexpr uint32_t kDevPropRegistryType = 0xFFFF0000;

struct NamedProperty {
  std::string_view name;
  std::string_view fmtid;
  uint32_t pid;
  uint32_t type;
};

constexpr NamedProperty kProperties[] = {
    {"bus_reported_description", "{540B947E-8B40-45BC-A8A2-6A0B894CBDA2}", 4, kDevPropString},
    {"driver_date", "{A8B865DD-2E3D-4094-AD97-E593A70C75D6}", 2, kDevPropFileTime},
    {"driver_version", "{A8B865DD-2E3D-4094-AD97-E593A70C75D6}", 3, kDevPropString},
    {"driver_description", "{A8B865DD-2E3D-4094-AD97-E593A70C75D6}", 4, kDevPropString},
    {"matching_device_id", "{A8B865DD-2E3D-4094-AD97-E593A70C75D6}", 8, kDevPropString},
    {"driver_provider", "{A8B865DD-2E3D-4094-AD97-E593A70C75D6}", 9, kDevPropString},
    {"manufacturer", "{A45C254E-DF1C-4EFD-8020-67D146A850E0}", 13, kDevPropString},
    {"friendly_name", "{A45C254E-DF1C-4EFD-8020-67D146A850E0}", 14, kDevPropString},
    {"install_date", "{83DA6326-97A6-4088-9453-A1923F573B29}", 100, kDevPropFileTime},
    {"first_install_date", "{83DA6326-97A6-4088-9453-A1923F573B29}", 101, kDevPropFileTime},
    {"model", "{CF73BB51-3ABF-44A2-85E0-9A3DC7A12132}", 2, kDevPropString},
    {"vendor_website", "{CF73BB51-3ABF-44A2-85E0-9A3DC7A12132}", 3, kDevPropString},
    {"detailed_description", "{CF73BB51-3ABF-44A2-85E0-9A3DC7A12132}", 4, kDevPropString},
};

// Windows' own setup classes; descriptions as Device Manager shows them.
const std::vector<SetupClass> kClasses = {
    {"{4D36E966-E325-11CE-BFC1-08002BE10318}", "Computer", "Computer", 0},
    {"{4D36E965-E325-11CE-BFC1-08002BE10318}", "CDROM", "DVD/CD-ROM drives", 3},
    {"{4D36E967-E325-11CE-BFC1-08002BE10318}", "DiskDrive", "Disk drives", 8},
    {"{4D36E968-E325-11CE-BFC1-08002BE10318}", "Display", "Display adapters", 1},
    {"{4D36E969-E325-11CE-BFC1-08002BE10318}", "fdc", "Floppy disk controllers", 9},
    {"{4D36E96A-E325-11CE-BFC1-08002BE10318}", "hdc", "IDE ATA/ATAPI controllers", 9},
    {"{4D36E96B-E325-11CE-BFC1-08002BE10318}", "Keyboard", "Keyboards", 4},
    {"{4D36E96C-E325-11CE-BFC1-08002BE10318}", "MEDIA", "Sound, video and game controllers", 11},
    {"{4D36E96D-E325-11CE-BFC1-08002BE10318}", "Modem", "Modems", 12},
    {"{4D36E96E-E325-11CE-BFC1-08002BE10318}", "Monitor", "Monitors", 13},
    {"{4D36E96F-E325-11CE-BFC1-08002BE10318}", "Mouse", "Mice and other pointing devices", 14},
    {"{4D36E972-E325-11CE-BFC1-08002BE10318}", "Net", "Network adapters", 15},
    {"{4D36E978-E325-11CE-BFC1-08002BE10318}", "Ports", "Ports (COM & LPT)", 17},
    {"{4D36E979-E325-11CE-BFC1-08002BE10318}", "Printer", "Printers", 18},
    {"{4D36E97B-E325-11CE-BFC1-08002BE10318}", "SCSIAdapter", "Storage controllers", 9},
    {"{4D36E97D-E325-11CE-BFC1-08002BE10318}", "System", "System devices", 22},
    {"{4D36E97E-E325-11CE-BFC1-08002BE10318}", "Unknown", "Other devices", 18},
    {"{36FC9E60-C465-11CF-8056-444553540000}", "USB", "Universal Serial Bus controllers", 25},
    {"{745A17A0-74D3-11D0-B6FE-00A0C90F57DA}", "HIDClass", "Human Interface Devices", 26},
    {"{E0CBF06C-CD8B-4647-BB8A-263B43F0F974}", "Bluetooth", "Bluetooth Radios", 27},
    {"{6BDD1FC6-810F-11D0-BEC7-08002BE2092F}", "Image", "Imaging devices", 28},
    {"{6BDD1FC1-810F-11D0-BEC7-08002BE2092F}", "1394", "IEEE 1394 Bus host controllers", 29},
    {"{50127DC3-0F36-415E-A6CC-4CB3BE910B65}", "Processor", "Processors", 30},
    {"{71A27CDD-812A-11D0-BEC7-08002BE2092F}", "Volume", "Storage volumes", 8},
    {"{533C5B84-EC70-11D2-9505-00C04F79DEAF}", "VolumeSnapshot", "Storage volume shadow copies", 8},
    {"{72631E54-78A4-11D0-BCF7-00AA00B7B32A}", "Battery", "Batteries", 31},
    {"{50DD5230-BA8A-11D1-BF5D-0000F805F530}", "SmartCardReader", "Smart card readers", 32},
    {"{EEC5AD98-8080-425F-922A-DABF3DE3F69A}", "WPD", "Portable Devices", 33},
    {"{C166523C-FE0C-4A94-A586-F1A80CFBBF3E}", "AudioEndpoint", "Audio inputs and outputs", 34},
    {"{A0A588A4-C46F-4B37-B7EA-C82FE89870C6}", "SDHost", "SD host adapters", 35},
    {"{CA3E7AB9-B4C3-4AE6-8251-579EF933890F}", "Camera", "Cameras", 28},
    {"{5175D334-C371-4806-B3BA-71FD53C9258D}", "Sensor", "Sensors", 36},
    {"{62F9C741-B25A-46CE-B54C-9BCCCE08B6F2}", "SoftwareDevice", "Software devices", 22},
    {"{F2E7DD72-6468-4E36-B6F1-6488F42C1B52}", "Firmware", "Firmware", 22},
    {"{1ED2BBF9-11F0-4084-B21F-AD83A8E6DCDC}", "PrintQueue", "Print queues", 18},
    {"{6D807884-7D21-11CF-801C-08002BE10318}", "TapeDrive", "Tape drives", 8},
    {"{6BDD1FC5-810F-11D0-BEC7-08002BE2092F}", "Infrared", "Infrared devices", 16},
    {"{8ECC055D-047F-11D1-A537-0000F8753ED1}", "LegacyDriver", "Non-Plug and Play Drivers", 22},
};

void Bind(sqlite3_stmt* stmt, int index, std::string_view text) {
  sqlite3_bind_text(stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

std::string ColumnText(sqlite3_stmt* stmt, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
  return text ? std::string(text) : std::string();
}

DeviceNode NodeFromRow(sqlite3_stmt* stmt) {
  DeviceNode n;
  n.instance_id = ColumnText(stmt, 0);
  n.ordinal = static_cast<uint32_t>(sqlite3_column_int64(stmt, 1));
  n.present = sqlite3_column_int64(stmt, 2) != 0;
  n.status = static_cast<uint32_t>(sqlite3_column_int64(stmt, 3));
  n.problem = static_cast<uint32_t>(sqlite3_column_int64(stmt, 4));
  n.install_state = static_cast<uint32_t>(sqlite3_column_int64(stmt, 5));
  n.physical_name = ColumnText(stmt, 6);
  return n;
}

// "yyyy-mm-dd" or "yyyy-mm-dd hh:mm:ss" in the PC's local time, as FILETIME.
bool ParseLocalDate(const std::string& text, uint64_t* file_time) {
  SystemTime t;
  unsigned y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  const int n = std::sscanf(text.c_str(), "%u-%u-%u %u:%u:%u", &y, &mo, &d, &h, &mi, &s);
  if (n != 3 && n != 6) return false;
  t.year = static_cast<uint16_t>(y);
  t.month = static_cast<uint16_t>(mo);
  t.day = static_cast<uint16_t>(d);
  t.hour = static_cast<uint16_t>(h);
  t.minute = static_cast<uint16_t>(mi);
  t.second = static_cast<uint16_t>(s);
  uint64_t local = 0;
  return SystemTimeToFileTime(t, &local) && LocalFileTimeToFileTime(local, file_time);
}

RegValue FileTimeValue(uint64_t ft, RegType type) {
  RegValue v;
  v.type = type;
  v.data.resize(8);
  std::memcpy(v.data.data(), &ft, 8);
  return v;
}

std::string Hex4(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%04X", value);
  return text;
}

std::string JsonText(const nlohmann::json& j, const char* key) {
  const auto it = j.find(key);
  return it != j.end() && it->is_string() ? it->get<std::string>() : std::string();
}

bool JsonTextList(const nlohmann::json& j, const char* key, std::vector<std::string>* out,
                  std::string* error) {
  out->clear();
  const auto it = j.find(key);
  if (it == j.end() || it->is_null()) return true;
  if (!it->is_array()) {
    *error = std::string("\"") + key + "\" must be a list of texts";
    return false;
  }
  for (const auto& item : *it) {
    if (!item.is_string()) {
      *error = std::string("\"") + key + "\" must be a list of texts";
      return false;
    }
    out->push_back(item.get<std::string>());
  }
  return true;
}

// The key below a root for a path, created when missing.
int64_t CreatePath(RegistryStore& store, std::string_view path) {
  int64_t id = 0;
  store.CreateKey(RegistryStore::RootId(RegRoot::kLocalMachine), path, &id, nullptr);
  return id;
}

// The next free driver key number of a class.
std::string NextDriverKey(RegistryStore& store, const std::string& class_guid) {
  const int64_t class_key = CreatePath(store, std::string(kClassPath) + class_guid);
  std::vector<std::string> names;
  store.SubKeyNames(class_key, &names);
  for (int n = 0; n < 10000; ++n) {
    const std::string candidate = std::to_string(10000 + n).substr(1);
    bool used = false;
    for (const std::string& name : names) used = used || name == candidate;
    if (!used) return candidate;
  }
  return "9999";
}

bool WriteClass(RegistryStore& store, const SetupClass& c) {
  const int64_t key = CreatePath(store, std::string(kClassPath) + c.guid);
  if (key == 0) return false;
  RegValue existing;
  if (store.GetValue(key, "Class", &existing) != 0) store.SetValue(key, "Class", RegValue::String(c.name));
  if (!c.description.empty() && store.GetValue(key, "", &existing) != 0) {
    store.SetValue(key, "", RegValue::String(c.description));
  }
  if (store.GetValue(key, "Icon", &existing) != 0) {
    store.SetValue(key, "Icon", RegValue::String(std::to_string(-c.icon)));
  }
  return true;
}

bool WriteDriverKey(RegistryStore& store, const std::string& class_guid, const nlohmann::json& driver,
                    std::string* driver_key, std::string* error) {
  if (!driver.is_object()) {
    *error = "\"driver\" must be an object";
    return false;
  }
  const std::string number = driver.contains("key") ? JsonText(driver, "key") : NextDriverKey(store, class_guid);
  *driver_key = class_guid + "\\" + number;
  const int64_t key = CreatePath(store, std::string(kClassPath) + *driver_key);
  auto set_text = [&](const char* field, const char* name) {
    const std::string value = JsonText(driver, field);
    if (!value.empty()) store.SetValue(key, name, RegValue::String(value));
  };
  set_text("provider", "ProviderName");
  set_text("version", "DriverVersion");
  set_text("inf_path", "InfPath");
  set_text("inf_section", "InfSection");
  set_text("matching_device_id", "MatchingDeviceId");
  set_text("description", "DriverDesc");
  const std::string date = JsonText(driver, "date");
  if (!date.empty()) {
    uint64_t ft = 0;
    unsigned y = 0, m = 0, d = 0;
    if (!ParseLocalDate(date, &ft) || std::sscanf(date.c_str(), "%u-%u-%u", &y, &m, &d) != 3) {
      *error = "driver date \"" + date + "\" is not yyyy-mm-dd";
      return false;
    }
    store.SetValue(key, "DriverDate",
                   RegValue::String(std::to_string(m) + "-" + std::to_string(d) + "-" + std::to_string(y)));
    store.SetValue(key, "DriverDateData", FileTimeValue(ft, RegType::kBinary));
  }
  if (auto it = driver.find("registry"); it != driver.end()) {
    for (const auto& v : *it) {
      std::string name;
      RegValue value;
      if (!RegValueFromJson(v, &name, &value, error)) return false;
      store.SetValue(key, name, value);
    }
  }
  return true;
}

void WriteProperty(RegistryStore& store, int64_t device_key, std::string_view fmtid, uint32_t pid,
                   uint32_t type, const std::vector<uint8_t>& data) {
  int64_t key = 0;
  store.CreateKey(device_key, "Properties\\" + std::string(fmtid) + "\\" + Hex4(pid), &key, nullptr);
  RegValue v;
  v.type = static_cast<RegType>(kDevPropRegistryType | type);
  v.data = data;
  store.SetValue(key, "", v);
}

bool WriteProperties(RegistryStore& store, int64_t device_key, const nlohmann::json& properties,
                     std::string* error) {
  for (const NamedProperty& p : kProperties) {
    const auto it = properties.find(std::string(p.name));
    if (it == properties.end() || it->is_null()) continue;
    if (!it->is_string()) {
      *error = "property \"" + std::string(p.name) + "\" must be a text";
      return false;
    }
    std::vector<uint8_t> data;
    if (p.type == kDevPropFileTime) {
      uint64_t ft = 0;
      if (!ParseLocalDate(it->get<std::string>(), &ft)) {
        *error = "property \"" + std::string(p.name) + "\" is not a date yyyy-mm-dd [hh:mm:ss]";
        return false;
      }
      data.resize(8);
      std::memcpy(data.data(), &ft, 8);
    } else {
      data = Utf8ToUtf16leBytes(it->get<std::string>(), true);
    }
    WriteProperty(store, device_key, p.fmtid, p.pid, p.type, data);
  }
  return true;
}

}  // namespace

const std::vector<SetupClass>& StandardSetupClasses() { return kClasses; }

const SetupClass* FindStandardClass(std::string_view name_or_guid) {
  for (const SetupClass& c : kClasses) {
    if (EqualsIgnoreCase(c.name, name_or_guid) || EqualsIgnoreCase(c.guid, name_or_guid)) return &c;
  }
  return nullptr;
}

void EnsureDeviceTables(VirtualPc* pc) {
  std::lock_guard<std::recursive_mutex> lock(pc->db_mutex());
  Exec(pc->db(),
       "CREATE TABLE IF NOT EXISTS device_nodes("
       " instance_id TEXT NOT NULL UNIQUE COLLATE NOCASE,"
       " ordinal INTEGER PRIMARY KEY,"
       " present INTEGER NOT NULL, status INTEGER NOT NULL, problem INTEGER NOT NULL,"
       " install_state INTEGER NOT NULL DEFAULT 0, physical_name TEXT NOT NULL DEFAULT '')");
}

std::vector<DeviceNode> ListDeviceNodes(VirtualPc* pc) {
  EnsureDeviceTables(pc);
  std::lock_guard<std::recursive_mutex> lock(pc->db_mutex());
  sqlite3_stmt* stmt = pc->Statement(
      "SELECT instance_id, ordinal, present, status, problem, install_state, physical_name "
      "FROM device_nodes ORDER BY ordinal");
  std::vector<DeviceNode> nodes;
  while (sqlite3_step(stmt) == SQLITE_ROW) nodes.push_back(NodeFromRow(stmt));
  sqlite3_reset(stmt);
  return nodes;
}

bool FindDeviceNode(VirtualPc* pc, std::string_view instance_id, DeviceNode* node) {
  EnsureDeviceTables(pc);
  std::lock_guard<std::recursive_mutex> lock(pc->db_mutex());
  sqlite3_stmt* stmt = pc->Statement(
      "SELECT instance_id, ordinal, present, status, problem, install_state, physical_name "
      "FROM device_nodes WHERE instance_id=?1");
  Bind(stmt, 1, instance_id);
  const bool found = sqlite3_step(stmt) == SQLITE_ROW;
  if (found) *node = NodeFromRow(stmt);
  sqlite3_reset(stmt);
  return found;
}

bool FindDeviceNodeByOrdinal(VirtualPc* pc, uint32_t ordinal, DeviceNode* node) {
  EnsureDeviceTables(pc);
  std::lock_guard<std::recursive_mutex> lock(pc->db_mutex());
  sqlite3_stmt* stmt = pc->Statement(
      "SELECT instance_id, ordinal, present, status, problem, install_state, physical_name "
      "FROM device_nodes WHERE ordinal=?1");
  sqlite3_bind_int64(stmt, 1, ordinal);
  const bool found = sqlite3_step(stmt) == SQLITE_ROW;
  if (found) *node = NodeFromRow(stmt);
  sqlite3_reset(stmt);
  return found;
}

bool SetDeviceNode(VirtualPc* pc, const DeviceNode& node, std::string* error) {
  EnsureDeviceTables(pc);
  std::lock_guard<std::recursive_mutex> lock(pc->db_mutex());
  sqlite3_stmt* stmt = pc->Statement(
      "INSERT INTO device_nodes(instance_id, present, status, problem, install_state, physical_name)"
      " VALUES(?1, ?2, ?3, ?4, ?5, ?6) ON CONFLICT(instance_id) DO UPDATE SET"
      " present=excluded.present, status=excluded.status, problem=excluded.problem,"
      " install_state=excluded.install_state, physical_name=excluded.physical_name");
  Bind(stmt, 1, node.instance_id);
  sqlite3_bind_int64(stmt, 2, node.present ? 1 : 0);
  sqlite3_bind_int64(stmt, 3, node.status);
  sqlite3_bind_int64(stmt, 4, node.problem);
  sqlite3_bind_int64(stmt, 5, node.install_state);
  Bind(stmt, 6, node.physical_name);
  const int rc = sqlite3_step(stmt);
  sqlite3_reset(stmt);
  if (rc != SQLITE_DONE) {
    *error = sqlite3_errmsg(pc->db());
    return false;
  }
  return true;
}

bool AddDevice(VirtualPc* pc, const nlohmann::json& d, std::string* error) {
  if (!d.is_object()) {
    *error = "a device must be an object";
    return false;
  }
  const std::string id = JsonText(d, "instance_id");
  if (id.empty() || id.find('\\') == std::string::npos) {
    *error = "a device needs an \"instance_id\" such as PCI\\VEN_8086&DEV_1C3A\\3&11583659&0&B0";
    return false;
  }
  const std::string where = " (device " + id + ")";
  std::string class_guid = ToUpperAscii(JsonText(d, "class_guid"));
  std::string class_name = JsonText(d, "class");
  if (class_guid.empty() && !class_name.empty()) {
    const SetupClass* c = FindStandardClass(class_name);
    if (!c) {
      *error = "unknown class \"" + class_name + "\": give its \"class_guid\"" + where;
      return false;
    }
    class_guid = c->guid;
    class_name = c->name;
  }
  std::vector<std::string> hardware, compatible;
  if (!JsonTextList(d, "hardware_ids", &hardware, error) ||
      !JsonTextList(d, "compatible_ids", &compatible, error)) {
    *error += where;
    return false;
  }

  RegistryStore store(*pc);
  store.Begin();
  auto fail = [&](const std::string& why) {
    store.Rollback();
    *error = why + where;
    return false;
  };
  int64_t old = 0;
  if (store.FindKey(RegistryStore::RootId(RegRoot::kLocalMachine), std::string(kEnumPath) + id, &old) == 0) {
    store.DeleteTree(old, true);
  }
  const int64_t key = CreatePath(store, std::string(kEnumPath) + id);
  if (key == 0) return fail("cannot create the Enum key");
  auto set_text = [&](const char* field, const char* name) {
    const std::string value = JsonText(d, field);
    if (!value.empty()) store.SetValue(key, name, RegValue::String(value));
  };
  auto set_number = [&](const char* field, const char* name) {
    const auto it = d.find(field);
    if (it != d.end() && it->is_number_integer()) {
      store.SetValue(key, name, RegValue::Dword(it->get<uint32_t>()));
    }
  };
  set_text("description", "DeviceDesc");
  if (!hardware.empty()) store.SetValue(key, "HardwareID", RegValue::MultiString(hardware));
  if (!compatible.empty()) store.SetValue(key, "CompatibleIDs", RegValue::MultiString(compatible));
  set_text("manufacturer", "Mfg");
  set_text("friendly_name", "FriendlyName");
  if (!class_name.empty()) store.SetValue(key, "Class", RegValue::String(class_name));
  if (!class_guid.empty()) store.SetValue(key, "ClassGUID", RegValue::String(class_guid));
  set_text("service", "Service");
  set_text("parent_id_prefix", "ParentIdPrefix");
  set_text("location", "LocationInformation");
  set_text("ui_number_desc_format", "UINumberDescFormat");
  set_number("config_flags", "ConfigFlags");
  set_number("capabilities", "Capabilities");
  set_number("characteristics", "Characteristics");
  set_number("ui_number", "UINumber");

  if (!class_guid.empty()) {
    if (const SetupClass* c = FindStandardClass(class_guid)) {
      WriteClass(store, *c);
    } else {
      WriteClass(store, {class_guid, class_name, "", 0});
    }
  }
  nlohmann::json derived = nlohmann::json::object();
  if (auto it = d.find("driver"); it != d.end() && !it->is_null()) {
    if (class_guid.empty()) return fail("a device with a driver needs a class");
    std::string driver_key;
    if (!WriteDriverKey(store, class_guid, *it, &driver_key, error)) return fail(*error);
    store.SetValue(key, "Driver", RegValue::String(driver_key));
    // What the device reports of its driver, unless the profile says otherwise.
    derived["driver_date"] = JsonText(*it, "date");
    derived["driver_version"] = JsonText(*it, "version");
    derived["driver_description"] = JsonText(*it, "description");
    derived["matching_device_id"] = JsonText(*it, "matching_device_id");
    derived["driver_provider"] = JsonText(*it, "provider");
  }
  derived["manufacturer"] = JsonText(d, "manufacturer");
  derived["friendly_name"] = JsonText(d, "friendly_name");
  for (auto it = derived.begin(); it != derived.end();) {
    it = (it->is_string() && it->get<std::string>().empty()) ? derived.erase(it) : std::next(it);
  }
  if (auto it = d.find("properties"); it != d.end()) {
    if (!it->is_object()) return fail("\"properties\" must be an object");
    for (auto& [name, value] : it->items()) derived[name] = value;
  }
  // Windows XP keeps no device properties.
  if (pc->facts().major >= 6 && !WriteProperties(store, key, derived, error)) return fail(*error);
  if (auto it = d.find("registry"); it != d.end()) {
    for (const auto& v : *it) {
      std::string name;
      RegValue value;
      if (!RegValueFromJson(v, &name, &value, error)) return fail(*error);
      store.SetValue(key, name, value);
    }
  }

  DeviceNode node;
  node.instance_id = id;
  node.present = d.value("present", true);
  node.problem = d.value("problem", 0u);
  const uint32_t default_status =
      node.problem != 0 ? ((kStartedDeviceStatus & ~0x0Au) | 0x400u) : kStartedDeviceStatus;
  node.status = d.value("status", default_status);
  node.install_state = d.value("install_state", 0u);
  node.physical_name = d.value("physical_name", std::string());
  if (!SetDeviceNode(pc, node, error)) return fail(*error);
  store.Commit();
  return true;
}

bool RemoveDevice(VirtualPc* pc, std::string_view instance_id, std::string* error) {
  RegistryStore store(*pc);
  int64_t key = 0;
  if (store.FindKey(RegistryStore::RootId(RegRoot::kLocalMachine),
                    std::string(kEnumPath) + std::string(instance_id), &key) != 0) {
    *error = "no device " + std::string(instance_id);
    return false;
  }
  RegValue driver;
  store.Begin();
  if (store.GetValue(key, "Driver", &driver) == 0 && !driver.AsString().empty()) {
    int64_t driver_key = 0;
    if (store.FindKey(RegistryStore::RootId(RegRoot::kLocalMachine),
                      std::string(kClassPath) + driver.AsString(), &driver_key) == 0) {
      store.DeleteTree(driver_key, true);
    }
  }
  store.DeleteTree(key, true);
  {
    std::lock_guard<std::recursive_mutex> lock(pc->db_mutex());
    sqlite3_stmt* stmt = pc->Statement("DELETE FROM device_nodes WHERE instance_id=?1");
    Bind(stmt, 1, instance_id);
    sqlite3_step(stmt);
    sqlite3_reset(stmt);
  }
  store.Commit();
  return true;
}

bool ImportDeviceProfile(VirtualPc* pc, const nlohmann::json& profile, std::string* error) {
  EnsureDeviceTables(pc);
  RegistryStore store(*pc);
  store.Begin();
  for (const SetupClass& c : kClasses) WriteClass(store, c);
  if (auto it = profile.find("classes"); it != profile.end()) {
    for (const auto& c : *it) {
      const std::string guid = ToUpperAscii(JsonText(c, "guid"));
      if (guid.size() != 38 || guid.front() != '{' || guid.back() != '}') {
        store.Rollback();
        *error = "a class needs a \"guid\" in braces";
        return false;
      }
      WriteClass(store, {guid, JsonText(c, "name"), JsonText(c, "description"), c.value("icon", 0)});
    }
  }
  if (auto it = profile.find("devices"); it != profile.end()) {
    if (!it->is_array()) {
      store.Rollback();
      *error = "\"devices\" must be a list";
      return false;
    }
    for (const auto& d : *it) {
      if (!AddDevice(pc, d, error)) {
        store.Rollback();
        return false;
      }
    }
  }
  store.Commit();
  return true;
}

nlohmann::json DescribeDevice(VirtualPc* pc, std::string_view instance_id) {
  RegistryStore store(*pc);
  int64_t key = 0;
  if (store.FindKey(RegistryStore::RootId(RegRoot::kLocalMachine),
                    std::string(kEnumPath) + std::string(instance_id), &key) != 0) {
    return nullptr;
  }
  nlohmann::json d;
  d["instance_id"] = std::string(instance_id);
  std::vector<std::pair<std::string, RegValue>> values;
  store.Values(key, &values);
  nlohmann::json registry = nlohmann::json::object();
  for (const auto& [name, value] : values) {
    if (value.type == RegType::kMultiSz) {
      registry[name] = value.AsMultiString();
    } else if (value.type == RegType::kDword) {
      registry[name] = value.AsDword();
    } else {
      registry[name] = value.AsString();
    }
  }
  d["enum_key"] = registry;
  DeviceNode node;
  if (FindDeviceNode(pc, instance_id, &node)) {
    d["present"] = node.present;
    d["status"] = node.status;
    d["problem"] = node.problem;
  }
  nlohmann::json properties = nlohmann::json::object();
  for (const NamedProperty& p : kProperties) {
    int64_t prop = 0;
    if (store.FindKey(key, "Properties\\" + std::string(p.fmtid) + "\\" + Hex4(p.pid), &prop) != 0) {
      continue;
    }
    RegValue value;
    if (store.GetValue(prop, "", &value) != 0) continue;
    if (p.type == kDevPropFileTime && value.data.size() >= 8) {
      uint64_t ft = 0, local = 0;
      std::memcpy(&ft, value.data.data(), 8);
      FileTimeToLocalFileTime(ft, &local);
      SystemTime t;
      FileTimeToSystemTime(local, &t);
      char text[64];
      std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", t.year, t.month, t.day, t.hour,
                    t.minute, t.second);
      properties[std::string(p.name)] = text;
    } else {
      properties[std::string(p.name)] = value.AsString();
    }
  }
  d["properties"] = properties;
  RegValue driver;
  if (store.GetValue(key, "Driver", &driver) == 0) {
    int64_t driver_key = 0;
    if (store.FindKey(RegistryStore::RootId(RegRoot::kLocalMachine),
                      std::string(kClassPath) + driver.AsString(), &driver_key) == 0) {
      std::vector<std::pair<std::string, RegValue>> driver_values;
      store.Values(driver_key, &driver_values);
      nlohmann::json dk = nlohmann::json::object();
      for (const auto& [name, value] : driver_values) {
        dk[name] = value.type == RegType::kBinary ? nlohmann::json("(binary)") : nlohmann::json(value.AsString());
      }
      d["driver_key"] = dk;
    }
  }
  return d;
}

}  // namespace tav::platform::vpc
