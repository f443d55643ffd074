#include "platform/linux/device_tree.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <span>

#include "platform/clock.h"
#include "platform/linux/device_faults.h"
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

// Status and configuration flags of the Windows headers (cfg.h, regstr.h).
constexpr uint32_t kDnRootEnumerated = 0x1;
constexpr uint32_t kDnDriverLoaded = 0x2;
constexpr uint32_t kDnStarted = 0x8;
constexpr uint32_t kDnNeedRestart = 0x100;
constexpr uint32_t kDnHasProblem = 0x400;
constexpr uint32_t kDnLegacyDriver = 0x1000;
constexpr uint32_t kProblemNeedRestart = 14;
constexpr uint32_t kProblemReinstall = 18;
constexpr uint32_t kProblemDisabled = 22;
constexpr uint32_t kProblemFailedInstall = 28;
constexpr uint32_t kConfigDisabled = 0x1;
constexpr uint32_t kConfigReinstall = 0x20;
constexpr uint32_t kConfigFailedInstall = 0x40;
constexpr uint32_t kConfigFinishInstall = 0x400;
constexpr std::string_view kLegacyDriverClass = "{8ECC055D-047F-11D1-A537-0000F8753ED1}";

// The fields of a device, of its driver and of a child device in a profile.
enum class Kind { kText, kTexts, kNumber, kFlag, kObject, kList };

struct Field {
  std::string_view name;
  Kind kind;
};

constexpr Field kDeviceFields[] = {
    {"comment", Kind::kText},
    {"instance_id", Kind::kText},
    {"class", Kind::kText},
    {"class_guid", Kind::kText},
    {"description", Kind::kText},
    {"friendly_name", Kind::kText},
    {"manufacturer", Kind::kText},
    {"hardware_ids", Kind::kTexts},
    {"compatible_ids", Kind::kTexts},
    {"service", Kind::kText},
    {"parent_id_prefix", Kind::kText},
    {"location", Kind::kText},
    {"ui_number_desc_format", Kind::kText},
    {"config_flags", Kind::kNumber},
    {"capabilities", Kind::kNumber},
    {"characteristics", Kind::kNumber},
    {"ui_number", Kind::kNumber},
    {"address", Kind::kNumber},
    {"upper_filters", Kind::kTexts},
    {"lower_filters", Kind::kTexts},
    {"driver", Kind::kObject},
    {"properties", Kind::kObject},
    {"registry", Kind::kList},
    {"children", Kind::kList},
    {"present", Kind::kFlag},
    {"status", Kind::kNumber},
    {"problem", Kind::kNumber},
    {"install_state", Kind::kNumber},
    {"physical_name", Kind::kText},
};

// Only a device of a "children" list names itself by these.
constexpr Field kChildFields[] = {{"device_id", Kind::kText}, {"instance", Kind::kText}};

constexpr Field kDriverFields[] = {
    {"comment", Kind::kText},     {"key", Kind::kText},
    {"provider", Kind::kText},    {"version", Kind::kText},
    {"date", Kind::kText},        {"inf_path", Kind::kText},
    {"inf_section", Kind::kText}, {"inf_section_ext", Kind::kText},
    {"description", Kind::kText}, {"matching_device_id", Kind::kText},
    {"registry", Kind::kList},
};

// Enum key values and the device fields that hold them.
struct EnumValue {
  std::string_view value;
  std::string_view field;
  Kind kind;
};

constexpr EnumValue kEnumValues[] = {
    {"DeviceDesc", "description", Kind::kText},
    {"HardwareID", "hardware_ids", Kind::kTexts},
    {"CompatibleIDs", "compatible_ids", Kind::kTexts},
    {"Mfg", "manufacturer", Kind::kText},
    {"FriendlyName", "friendly_name", Kind::kText},
    {"Class", "class", Kind::kText},
    {"ClassGUID", "class_guid", Kind::kText},
    {"Service", "service", Kind::kText},
    {"ParentIdPrefix", "parent_id_prefix", Kind::kText},
    {"LocationInformation", "location", Kind::kText},
    {"UINumberDescFormat", "ui_number_desc_format", Kind::kText},
    {"ConfigFlags", "config_flags", Kind::kNumber},
    {"Capabilities", "capabilities", Kind::kNumber},
    {"Characteristics", "characteristics", Kind::kNumber},
    {"UINumber", "ui_number", Kind::kNumber},
    {"Address", "address", Kind::kNumber},
    {"UpperFilters", "upper_filters", Kind::kTexts},
    {"LowerFilters", "lower_filters", Kind::kTexts},
};

// Driver key values and the driver fields that hold them.
constexpr std::pair<std::string_view, std::string_view> kDriverValues[] = {
    {"ProviderName", "provider"},
    {"DriverVersion", "version"},
    {"InfPath", "inf_path"},
    {"InfSection", "inf_section"},
    {"InfSectionExt", "inf_section_ext"},
    {"MatchingDeviceId", "matching_device_id"},
    {"DriverDesc", "description"},
};

// Device properties that Windows sets from the driver and the Enum key; a
// profile names them only to differ.
constexpr std::pair<std::string_view, std::string_view> kDerivedFromDriver[] = {
    {"driver_date", "date"},
    {"driver_version", "version"},
    {"driver_description", "description"},
    {"matching_device_id", "matching_device_id"},
    {"driver_provider", "provider"},
};
constexpr std::pair<std::string_view, std::string_view> kDerivedFromDevice[] = {
    {"manufacturer", "manufacturer"},
    {"friendly_name", "friendly_name"},
};

std::string KindText(Kind kind) {
  switch (kind) {
    case Kind::kText:
      return "a text";
    case Kind::kTexts:
      return "a list of texts";
    case Kind::kNumber:
      return "a number from 0 to 4294967295 (or a text such as \"0x0180200A\")";
    case Kind::kFlag:
      return "true or false";
    case Kind::kObject:
      return "an object";
    case Kind::kList:
      return "a list";
  }
  return "";
}

bool ParseNumber(const nlohmann::json& v, uint32_t* out) {
  if (v.is_number_unsigned()) {
    const uint64_t n = v.get<uint64_t>();
    if (n > 0xFFFFFFFFu)
      return false;
    *out = static_cast<uint32_t>(n);
    return true;
  }
  if (v.is_number_integer()) {
    const int64_t n = v.get<int64_t>();
    if (n < 0 || n > 0xFFFFFFFFll)
      return false;
    *out = static_cast<uint32_t>(n);
    return true;
  }
  if (!v.is_string())
    return false;
  const std::string text = v.get<std::string>();
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const std::string digits = hex ? text.substr(2) : text;
  if (digits.empty() || digits.size() > (hex ? 8u : 10u))
    return false;
  uint64_t n = 0;
  for (char c : digits) {
    int digit = -1;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    if (hex && c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    if (hex && c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    if (digit < 0)
      return false;
    n = n * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
  }
  if (n > 0xFFFFFFFFu)
    return false;
  *out = static_cast<uint32_t>(n);
  return true;
}

bool KindMatches(const nlohmann::json& v, Kind kind) {
  uint32_t number = 0;
  switch (kind) {
    case Kind::kText:
      return v.is_string();
    case Kind::kTexts:
      if (!v.is_array())
        return false;
      for (const auto& item : v) {
        if (!item.is_string())
          return false;
      }
      return true;
    case Kind::kNumber:
      return ParseNumber(v, &number);
    case Kind::kFlag:
      return v.is_boolean();
    case Kind::kObject:
      return v.is_object();
    case Kind::kList:
      return v.is_array();
  }
  return false;
}

bool CheckFields(const nlohmann::json& object,
                 std::span<const Field> fields,
                 std::string* error,
                 std::span<const Field> more = {}) {
  for (const auto& [name, value] : object.items()) {
    const Field* field = nullptr;
    for (std::span<const Field> list : {fields, more}) {
      for (const Field& f : list) {
        if (f.name == name)
          field = &f;
      }
    }
    if (!field) {
      *error = "unknown field \"" + name + "\"";
      return false;
    }
    if (!value.is_null() && !KindMatches(value, field->kind)) {
      *error = "\"" + name + "\" must be " + KindText(field->kind);
      return false;
    }
  }
  return true;
}

std::string Text(const nlohmann::json& j, std::string_view key) {
  const auto it = j.find(key);
  return it != j.end() && it->is_string() ? it->get<std::string>() : std::string();
}

std::vector<std::string> Texts(const nlohmann::json& j, std::string_view key) {
  std::vector<std::string> out;
  const auto it = j.find(key);
  if (it != j.end() && it->is_array()) {
    for (const auto& item : *it)
      out.push_back(item.get<std::string>());
  }
  return out;
}

std::optional<uint32_t> Number(const nlohmann::json& j, std::string_view key) {
  const auto it = j.find(key);
  uint32_t n = 0;
  if (it == j.end() || !ParseNumber(*it, &n))
    return std::nullopt;
  return n;
}

// Profile dates are the PC's local time, as Windows shows them; FILETIMEs
// are UTC. The new PC's own time zone counts, not the current one's.
bool ParseLocalDate(const VirtualPc& pc, const std::string& text, uint64_t* file_time) {
  unsigned y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  int used = 0;
  if (std::sscanf(text.c_str(), "%4u-%2u-%2u%n", &y, &mo, &d, &used) != 3)
    return false;
  if (static_cast<size_t>(used) != text.size()) {
    int more = 0;
    if (std::sscanf(text.c_str() + used, " %2u:%2u:%2u%n", &h, &mi, &s, &more) != 3 ||
        static_cast<size_t>(used + more) != text.size()) {
      return false;
    }
  }
  SystemTime t;
  t.year = static_cast<uint16_t>(y);
  t.month = static_cast<uint16_t>(mo);
  t.day = static_cast<uint16_t>(d);
  t.hour = static_cast<uint16_t>(h);
  t.minute = static_cast<uint16_t>(mi);
  t.second = static_cast<uint16_t>(s);
  uint64_t local = 0;
  if (!SystemTimeToFileTime(t, &local))
    return false;
  *file_time = local + static_cast<uint64_t>(static_cast<int64_t>(pc.facts().time_zone_bias) * 60 *
                                             10000000LL);
  return true;
}

// "yyyy-mm-dd", with " hh:mm:ss" when the time is not midnight.
std::string LocalDateText(const VirtualPc& pc, uint64_t file_time) {
  const uint64_t local =
      file_time -
      static_cast<uint64_t>(static_cast<int64_t>(pc.facts().time_zone_bias) * 60 * 10000000LL);
  SystemTime t;
  if (!FileTimeToSystemTime(local, &t))
    return "";
  char text[64];
  if (t.hour == 0 && t.minute == 0 && t.second == 0) {
    std::snprintf(text, sizeof text, "%04u-%02u-%02u", t.year, t.month, t.day);
  } else {
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
  }
  return text;
}

RegValue FileTimeValue(uint64_t ft, RegType type) {
  RegValue v;
  v.type = type;
  v.data.resize(8);
  std::memcpy(v.data.data(), &ft, 8);
  return v;
}

uint64_t FileTimeOf(const std::vector<uint8_t>& data) {
  uint64_t ft = 0;
  if (data.size() >= 8)
    std::memcpy(&ft, data.data(), 8);
  return ft;
}

std::string Hex4(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%04X", value);
  return text;
}

bool IsClassGuid(const std::string& guid) {
  static constexpr std::string_view kShape = "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";
  if (guid.size() != kShape.size())
    return false;
  for (size_t i = 0; i < guid.size(); ++i) {
    const char c = guid[i];
    if (kShape[i] != 'X') {
      if (c != kShape[i])
        return false;
    } else if (!std::isxdigit(static_cast<unsigned char>(c))) {
      return false;
    }
  }
  return true;
}

// Enumerator\device ID\instance, each part present.
bool IsInstanceId(const std::string& id) {
  const size_t first = id.find('\\');
  if (first == std::string::npos || first == 0)
    return false;
  const size_t second = id.find('\\', first + 1);
  return second != std::string::npos && second > first + 1 && second + 1 < id.size() &&
         id.find('\\', second + 1) == std::string::npos;
}

std::string LastPart(const std::string& id) {
  return id.substr(id.rfind('\\') + 1);
}

// The key below a root for a path, created when missing.
int64_t CreatePath(RegistryStore& store, std::string_view path) {
  int64_t id = 0;
  store.CreateKey(RegistryStore::RootId(RegRoot::kLocalMachine), path, &id, nullptr);
  return id;
}

int64_t FindPath(RegistryStore& store, std::string_view path) {
  int64_t id = 0;
  return store.FindKey(RegistryStore::RootId(RegRoot::kLocalMachine), path, &id) == 0 ? id : 0;
}

// The next free driver key number of a class.
std::string NextDriverKey(RegistryStore& store, const std::string& class_guid) {
  const int64_t class_key = CreatePath(store, std::string(kClassPath) + class_guid);
  std::vector<std::string> names;
  store.SubKeyNames(class_key, &names);
  for (int n = 0; n < 10000; ++n) {
    const std::string candidate = std::to_string(10000 + n).substr(1);
    bool used = false;
    for (const std::string& name : names)
      used = used || name == candidate;
    if (!used)
      return candidate;
  }
  return "9999";
}

bool WriteClass(RegistryStore& store, const SetupClass& c) {
  const int64_t key = CreatePath(store, std::string(kClassPath) + c.guid);
  if (key == 0)
    return false;
  RegValue existing;
  if (store.GetValue(key, "Class", &existing) != 0 && !c.name.empty()) {
    store.SetValue(key, "Class", RegValue::String(c.name));
  }
  if (!c.description.empty() && store.GetValue(key, "", &existing) != 0) {
    store.SetValue(key, "", RegValue::String(c.description));
  }
  if (store.GetValue(key, "Icon", &existing) != 0) {
    store.SetValue(key, "Icon", RegValue::String(std::to_string(-c.icon)));
  }
  return true;
}

// A class the PC knows by its name: the Class key whose "Class" value it is.
std::string FindClassByName(RegistryStore& store, const std::string& name) {
  const int64_t classes = FindPath(store, kClassPath);
  std::vector<std::pair<int64_t, std::string>> keys;
  if (classes == 0 || store.SubKeys(classes, &keys) != 0)
    return "";
  for (const auto& [key, guid] : keys) {
    RegValue value;
    if (store.GetValue(key, "Class", &value) == 0 && EqualsIgnoreCase(value.AsString(), name)) {
      return ToUpperAscii(guid);
    }
  }
  return "";
}

bool WriteRegistryList(RegistryStore& store,
                       int64_t key,
                       const nlohmann::json& list,
                       std::string* error) {
  for (const auto& v : list) {
    std::string name;
    RegValue value;
    if (!RegValueFromJson(v, &name, &value, error))
      return false;
    store.SetValue(key, name, value);
  }
  return true;
}

bool WriteDriverKey(const VirtualPc& pc,
                    RegistryStore& store,
                    const std::string& driver_key,
                    const nlohmann::json& driver,
                    std::string* error) {
  const int64_t key = CreatePath(store, std::string(kClassPath) + driver_key);
  for (const auto& [value, field] : kDriverValues) {
    const std::string text = Text(driver, field);
    if (!text.empty())
      store.SetValue(key, value, RegValue::String(text));
  }
  const std::string date = Text(driver, "date");
  if (!date.empty()) {
    uint64_t ft = 0;
    unsigned y = 0, m = 0, d = 0;
    if (!ParseLocalDate(pc, date, &ft) || date.size() != 10 ||
        std::sscanf(date.c_str(), "%u-%u-%u", &y, &m, &d) != 3) {
      *error = "driver date \"" + date + "\" is not yyyy-mm-dd";
      return false;
    }
    // Windows keeps the INF's date twice: as m-d-yyyy text and as FILETIME.
    store.SetValue(
        key, "DriverDate",
        RegValue::String(std::to_string(m) + "-" + std::to_string(d) + "-" + std::to_string(y)));
    store.SetValue(key, "DriverDateData", FileTimeValue(ft, RegType::kBinary));
  }
  if (auto it = driver.find("registry"); it != driver.end() && it->is_array()) {
    if (!WriteRegistryList(store, key, *it, error))
      return false;
  }
  return true;
}

void WriteProperty(RegistryStore& store,
                   int64_t device_key,
                   std::string_view fmtid,
                   uint32_t pid,
                   uint32_t type,
                   const std::vector<uint8_t>& data) {
  int64_t key = 0;
  store.CreateKey(device_key, "Properties\\" + std::string(fmtid) + "\\" + Hex4(pid), &key,
                  nullptr);
  RegValue v;
  v.type = static_cast<RegType>(kDevPropRegistryType | type);
  v.data = data;
  store.SetValue(key, "", v);
}

const NamedProperty* FindProperty(std::string_view name) {
  for (const NamedProperty& p : kProperties) {
    if (p.name == name)
      return &p;
  }
  return nullptr;
}

bool WriteProperties(const VirtualPc& pc,
                     RegistryStore& store,
                     int64_t device_key,
                     const nlohmann::json& properties,
                     std::string* error) {
  for (const NamedProperty& p : kProperties) {
    const auto it = properties.find(std::string(p.name));
    if (it == properties.end() || it->is_null())
      continue;
    std::vector<uint8_t> data;
    if (p.type == kDevPropFileTime) {
      uint64_t ft = 0;
      if (!ParseLocalDate(pc, it->get<std::string>(), &ft)) {
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

uint32_t DefaultConfigFlags(uint32_t problem) {
  switch (problem) {
    case kProblemDisabled:
      return kConfigDisabled;
    case kProblemReinstall:
      return kConfigReinstall;
    case kProblemFailedInstall:
      return kConfigFailedInstall;
    default:
      return 0;
  }
}

// SPDRP_INSTALL_STATE as Windows derives it from the configuration flags.
uint32_t InstallStateOf(uint32_t config_flags) {
  if (config_flags & kConfigFailedInstall)
    return 2;
  if (config_flags & kConfigReinstall)
    return 1;
  if (config_flags & kConfigFinishInstall)
    return 3;
  return 0;
}

// Windows names the device objects of PCI and USB devices after their bus
// and numbers the others.
std::string DefaultPhysicalName(VirtualPc* pc, const std::string& instance_id, uint32_t ordinal) {
  const std::string enumerator = ToUpperAscii(instance_id.substr(0, instance_id.find('\\')));
  std::string prefix;
  if (enumerator == "PCI")
    prefix = "\\Device\\NTPNP_PCI";
  if (enumerator == "USB")
    prefix = "\\Device\\USBPDO-";
  char text[64];
  if (prefix.empty()) {
    std::snprintf(text, sizeof text, "\\Device\\%08x", 0x20 + ordinal);
    return text;
  }
  std::lock_guard<std::recursive_mutex> lock(pc->db_mutex());
  sqlite3_stmt* stmt =
      pc->Statement("SELECT COUNT(*) FROM device_nodes WHERE substr(physical_name, 1, ?2) = ?1");
  Bind(stmt, 1, prefix);
  sqlite3_bind_int64(stmt, 2, static_cast<int64_t>(prefix.size()));
  const int64_t count = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int64(stmt, 0) : 0;
  sqlite3_reset(stmt);
  if (enumerator == "PCI") {
    std::snprintf(text, sizeof text, "%04lld", static_cast<long long>(count + 1));
  } else {
    std::snprintf(text, sizeof text, "%lld", static_cast<long long>(count));
  }
  return prefix + text;
}

// A ParentIdPrefix in Windows' shape, "<level>&<hash>&0", for a device whose
// profile gives none: one level below the device's own instance, and a hash
// of its instance ID so that every parent has its own.
std::string GeneratedParentIdPrefix(const std::string& instance_id) {
  const std::string last = LastPart(instance_id);
  unsigned level = 0;
  size_t i = 0;
  while (i < last.size() && std::isdigit(static_cast<unsigned char>(last[i]))) {
    level = level * 10 + static_cast<unsigned>(last[i] - '0');
    ++i;
  }
  level = (i > 0 && i < last.size() && last[i] == '&') ? level + 1 : 5;
  uint32_t hash = 2166136261u;
  for (char c : ToUpperAscii(instance_id)) {
    hash = (hash ^ static_cast<uint8_t>(c)) * 16777619u;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%u&%x&0", level, hash);
  return text;
}

struct Parent {
  std::string instance_id;
  std::string service;
  std::string prefix;
  size_t position = 0;
};

bool ChildInstanceId(const nlohmann::json& child,
                     const Parent& parent,
                     std::string* id,
                     std::string* error) {
  const std::string enumerator = ToUpperAscii(parent.service);
  *id = Text(child, "instance_id");
  if (!id->empty()) {
    if (!StartsWithIgnoreCase(*id, enumerator + "\\") ||
        ToLowerAscii(LastPart(*id)).find(ToLowerAscii(parent.prefix)) == std::string::npos) {
      *error = "child " + *id + " of " + parent.instance_id + " must lie under " + enumerator +
               "\\ and carry the parent's ParentIdPrefix " + parent.prefix;
      return false;
    }
    return true;
  }
  const std::string device_id = Text(child, "device_id");
  if (device_id.empty() || device_id.find('\\') != std::string::npos) {
    *error = "child " + std::to_string(parent.position) + " of " + parent.instance_id +
             " needs a \"device_id\" (the middle part of its instance ID) or an \"instance_id\"";
    return false;
  }
  std::string instance = Text(child, "instance");
  if (instance.empty())
    instance = std::to_string(parent.position);
  *id = enumerator + "\\" + device_id + "\\" + parent.prefix + "&" + instance;
  return true;
}

bool AddOneDevice(VirtualPc* pc,
                  RegistryStore& store,
                  const nlohmann::json& d,
                  const Parent* parent,
                  std::string* error);

bool AddDeviceFields(VirtualPc* pc,
                     RegistryStore& store,
                     const nlohmann::json& d,
                     const std::string& id,
                     std::string* error) {
  std::string class_guid = ToUpperAscii(Text(d, "class_guid"));
  std::string class_name = Text(d, "class");
  if (!class_guid.empty()) {
    if (!IsClassGuid(class_guid)) {
      *error = "\"class_guid\" " + class_guid + " is not a GUID in braces";
      return false;
    }
    const SetupClass* c = FindStandardClass(class_guid);
    if (class_name.empty() && c)
      class_name = c->name;
  } else if (!class_name.empty()) {
    if (const SetupClass* c = FindStandardClass(class_name)) {
      class_guid = c->guid;
      class_name = c->name;
    } else {
      class_guid = FindClassByName(store, class_name);
    }
    if (class_guid.empty()) {
      *error =
          "unknown class \"" + class_name + "\": give its \"class_guid\" or list it in \"classes\"";
      return false;
    }
  }
  const uint32_t problem = Number(d, "problem").value_or(0);
  const uint32_t config_flags = Number(d, "config_flags").value_or(DefaultConfigFlags(problem));
  const auto children = d.find("children");
  const bool has_children = children != d.end() && children->is_array() && !children->empty();
  const std::string service = Text(d, "service");
  std::string prefix = Text(d, "parent_id_prefix");
  if (has_children && service.empty()) {
    *error = "a device with \"children\" needs the \"service\" that enumerates them";
    return false;
  }
  if (has_children && prefix.empty())
    prefix = GeneratedParentIdPrefix(id);

  // A device added again replaces the old one, driver key included; it
  // keeps its driver key's number unless the profile gives one.
  const std::string enum_path = std::string(kEnumPath) + id;
  std::string old_driver;
  if (const int64_t old = FindPath(store, enum_path)) {
    RegValue value;
    if (store.GetValue(old, "Driver", &value) == 0)
      old_driver = value.AsString();
    if (const int64_t old_key =
            old_driver.empty() ? 0 : FindPath(store, std::string(kClassPath) + old_driver)) {
      store.DeleteTree(old_key, true);
    }
    store.DeleteTree(old, true);
  }
  const int64_t key = CreatePath(store, enum_path);
  if (key == 0) {
    *error = "cannot create the Enum key";
    return false;
  }

  nlohmann::json resolved = d;
  resolved["class"] = class_name;
  resolved["class_guid"] = class_guid;
  resolved["parent_id_prefix"] = prefix;
  resolved["config_flags"] = config_flags;
  for (const EnumValue& v : kEnumValues) {
    if (v.kind == Kind::kText) {
      const std::string text = Text(resolved, v.field);
      if (!text.empty())
        store.SetValue(key, v.value, RegValue::String(text));
    } else if (v.kind == Kind::kTexts) {
      const std::vector<std::string> texts = Texts(resolved, v.field);
      if (!texts.empty())
        store.SetValue(key, v.value, RegValue::MultiString(texts));
    } else if (const auto n = Number(resolved, v.field)) {
      store.SetValue(key, v.value, RegValue::Dword(*n));
    }
  }
  if (!class_guid.empty()) {
    const SetupClass* c = FindStandardClass(class_guid);
    WriteClass(store, c ? *c : SetupClass{class_guid, class_name, "", 0});
  }

  nlohmann::json derived = nlohmann::json::object();
  if (auto it = d.find("driver"); it != d.end() && !it->is_null()) {
    if (!CheckFields(*it, kDriverFields, error)) {
      *error = "driver: " + *error;
      return false;
    }
    if (class_guid.empty()) {
      *error = "a device with a driver needs a class";
      return false;
    }
    std::string number = Text(*it, "key");
    if (!number.empty() &&
        (number.size() != 4 || number.find_first_not_of("0123456789") != std::string::npos)) {
      *error = "driver key \"" + number + "\" is not four digits such as 0003";
      return false;
    }
    if (number.empty() && StartsWithIgnoreCase(old_driver, class_guid + "\\")) {
      number = old_driver.substr(class_guid.size() + 1);
    }
    if (number.empty())
      number = NextDriverKey(store, class_guid);
    const std::string driver_key = class_guid + "\\" + number;
    if (!WriteDriverKey(*pc, store, driver_key, *it, error))
      return false;
    store.SetValue(key, "Driver", RegValue::String(driver_key));
    for (const auto& [property, field] : kDerivedFromDriver)
      derived[property] = Text(*it, field);
  }
  for (const auto& [property, field] : kDerivedFromDevice)
    derived[property] = Text(d, field);
  for (auto it = derived.begin(); it != derived.end();) {
    it = it->get<std::string>().empty() ? derived.erase(it) : std::next(it);
  }
  if (auto it = d.find("properties"); it != d.end() && it->is_object()) {
    for (auto& [name, value] : it->items()) {
      if (!FindProperty(name)) {
        *error = "unknown property \"" + name + "\"";
        return false;
      }
      if (!value.is_null() && !value.is_string()) {
        *error = "property \"" + name + "\" must be a text or null";
        return false;
      }
      derived[name] = value;
    }
  }
  // Windows XP keeps no device properties.
  if (pc->facts().major >= 6 && !WriteProperties(*pc, store, key, derived, error))
    return false;
  if (auto it = d.find("registry"); it != d.end() && it->is_array()) {
    if (!WriteRegistryList(store, key, *it, error))
      return false;
  }

  DeviceNode node;
  node.instance_id = id;
  if (auto it = d.find("present"); it != d.end() && it->is_boolean())
    node.present = it->get<bool>();
  else
    node.present = true;
  node.problem = problem;
  node.status = Number(d, "status").value_or(DefaultDeviceStatus(id, class_guid, problem));
  node.install_state = Number(d, "install_state").value_or(InstallStateOf(config_flags));
  node.physical_name = Text(d, "physical_name");
  if (!SetDeviceNode(pc, node, error))
    return false;
  if (node.physical_name.empty() && node.present) {
    DeviceNode stored;
    FindDeviceNode(pc, id, &stored);
    node.physical_name = DefaultPhysicalName(pc, id, stored.ordinal);
    if (!SetDeviceNode(pc, node, error))
      return false;
  }

  if (has_children) {
    Parent self{id, service, prefix, 0};
    for (const auto& child : *children) {
      if (!AddOneDevice(pc, store, child, &self, error))
        return false;
      ++self.position;
    }
  }
  return true;
}

bool AddOneDevice(VirtualPc* pc,
                  RegistryStore& store,
                  const nlohmann::json& d,
                  const Parent* parent,
                  std::string* error) {
  if (!d.is_object()) {
    *error = parent ? "a child of " + parent->instance_id + " must be an object"
                    : "a device must be an object";
    return false;
  }
  std::string id = Text(d, "instance_id");
  if (parent && !ChildInstanceId(d, *parent, &id, error))
    return false;
  const std::string where =
      id.empty() ? std::string(" (a device without instance_id)") : " (device " + id + ")";
  if (!CheckFields(d, kDeviceFields, error,
                   parent ? std::span<const Field>(kChildFields) : std::span<const Field>())) {
    *error += where;
    return false;
  }
  if (!IsInstanceId(id)) {
    *error = id.empty() ? "a device needs an \"instance_id\" such as "
                          "PCI\\VEN_8086&DEV_1C3A&SUBSYS_04AA1028&REV_04\\3&11583659&0&B0"
                        : "instance ID " + id +
                              " is not enumerator\\device ID\\instance, such as "
                              "PCI\\VEN_8086&DEV_1C3A&SUBSYS_04AA1028&REV_04\\3&11583659&0&B0";
    return false;
  }
  if (!AddDeviceFields(pc, store, d, id, error)) {
    if (error->find(" (device ") == std::string::npos)
      *error += where;
    return false;
  }
  return true;
}

}  // namespace

const std::vector<SetupClass>& StandardSetupClasses() {
  return kClasses;
}

const SetupClass* FindStandardClass(std::string_view name_or_guid) {
  for (const SetupClass& c : kClasses) {
    if (EqualsIgnoreCase(c.name, name_or_guid) || EqualsIgnoreCase(c.guid, name_or_guid))
      return &c;
  }
  return nullptr;
}

std::vector<DeviceNode> ListDeviceNodes(VirtualPc* pc) {
  std::lock_guard<std::recursive_mutex> lock(pc->db_mutex());
  sqlite3_stmt* stmt = pc->Statement(
      "SELECT instance_id, ordinal, present, status, problem, install_state, physical_name "
      "FROM device_nodes ORDER BY ordinal");
  std::vector<DeviceNode> nodes;
  while (sqlite3_step(stmt) == SQLITE_ROW)
    nodes.push_back(NodeFromRow(stmt));
  sqlite3_reset(stmt);
  return nodes;
}

bool FindDeviceNode(VirtualPc* pc, std::string_view instance_id, DeviceNode* node) {
  std::lock_guard<std::recursive_mutex> lock(pc->db_mutex());
  sqlite3_stmt* stmt = pc->Statement(
      "SELECT instance_id, ordinal, present, status, problem, install_state, physical_name "
      "FROM device_nodes WHERE instance_id=?1");
  Bind(stmt, 1, instance_id);
  const bool found = sqlite3_step(stmt) == SQLITE_ROW;
  if (found)
    *node = NodeFromRow(stmt);
  sqlite3_reset(stmt);
  return found;
}

bool FindDeviceNodeByOrdinal(VirtualPc* pc, uint32_t ordinal, DeviceNode* node) {
  std::lock_guard<std::recursive_mutex> lock(pc->db_mutex());
  sqlite3_stmt* stmt = pc->Statement(
      "SELECT instance_id, ordinal, present, status, problem, install_state, physical_name "
      "FROM device_nodes WHERE ordinal=?1");
  sqlite3_bind_int64(stmt, 1, ordinal);
  const bool found = sqlite3_step(stmt) == SQLITE_ROW;
  if (found)
    *node = NodeFromRow(stmt);
  sqlite3_reset(stmt);
  return found;
}

bool SetDeviceNode(VirtualPc* pc, const DeviceNode& node, std::string* error) {
  std::lock_guard<std::recursive_mutex> lock(pc->db_mutex());
  sqlite3_stmt* stmt = pc->Statement(
      "INSERT INTO device_nodes(instance_id, present, status, problem, install_state, "
      "physical_name)"
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

uint32_t DefaultDeviceStatus(std::string_view instance_id,
                             std::string_view class_guid,
                             uint32_t problem) {
  uint32_t status = kStartedDeviceStatus;
  if (StartsWithIgnoreCase(instance_id, "ROOT\\") || StartsWithIgnoreCase(instance_id, "HTREE\\")) {
    status |= kDnRootEnumerated;
  }
  if (EqualsIgnoreCase(class_guid, kLegacyDriverClass))
    status |= kDnLegacyDriver;
  return StatusForProblem(status, 0, problem);
}

uint32_t StatusForProblem(uint32_t status, uint32_t old_problem, uint32_t problem) {
  if (old_problem == kProblemNeedRestart && problem != kProblemNeedRestart) {
    status &= ~kDnNeedRestart;
  }
  if (problem == 0)
    return (status & ~kDnHasProblem) | kDnStarted | kDnDriverLoaded;
  status = (status & ~(kDnStarted | kDnDriverLoaded)) | kDnHasProblem;
  if (problem == kProblemNeedRestart)
    status |= kDnNeedRestart;
  return status;
}

bool AddDevice(VirtualPc* pc, const nlohmann::json& d, std::string* error) {
  RegistryStore store(*pc);
  store.Begin();
  if (!AddOneDevice(pc, store, d, nullptr, error)) {
    store.Rollback();
    return false;
  }
  store.Commit();
  return true;
}

bool RemoveDevice(VirtualPc* pc, std::string_view instance_id, std::string* error) {
  RegistryStore store(*pc);
  const std::string enum_path = std::string(kEnumPath) + std::string(instance_id);
  DeviceNode node;
  const int64_t key = FindPath(store, enum_path);
  if (key == 0 && !FindDeviceNode(pc, instance_id, &node)) {
    *error = "no device " + std::string(instance_id);
    return false;
  }
  store.Begin();
  RegValue driver;
  if (key != 0 && store.GetValue(key, "Driver", &driver) == 0 && !driver.AsString().empty()) {
    if (const int64_t driver_key = FindPath(store, std::string(kClassPath) + driver.AsString())) {
      store.DeleteTree(driver_key, true);
    }
  }
  if (key != 0) {
    store.DeleteTree(key, true);
    // The device-ID and enumerator keys go with their last instance.
    std::string path = enum_path;
    for (int level = 0; level < 2; ++level) {
      path.erase(path.rfind('\\'));
      const int64_t up = FindPath(store, path);
      std::vector<std::string> names;
      if (up == 0 || store.SubKeyNames(up, &names) != 0 || !names.empty())
        break;
      std::vector<std::string> values;
      if (store.ValueNames(up, &values) != 0 || !values.empty())
        break;
      store.DeleteLeafKey(up);
    }
  }
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
  if (auto it = profile.find("faults"); it != profile.end() && !CheckFaultList(*it, error)) {
    return false;
  }
  RegistryStore store(*pc);
  store.Begin();
  auto fail = [&](const std::string& why) {
    store.Rollback();
    *error = why;
    return false;
  };
  for (const SetupClass& c : kClasses)
    WriteClass(store, c);
  if (auto it = profile.find("classes"); it != profile.end()) {
    if (!it->is_array())
      return fail("\"classes\" must be a list");
    for (const auto& c : *it) {
      static constexpr Field kClassFields[] = {{"comment", Kind::kText},
                                               {"guid", Kind::kText},
                                               {"name", Kind::kText},
                                               {"description", Kind::kText},
                                               {"icon", Kind::kNumber}};
      if (!c.is_object())
        return fail("a class must be an object");
      std::string why;
      if (!CheckFields(c, kClassFields, &why))
        return fail("class: " + why);
      const std::string guid = ToUpperAscii(Text(c, "guid"));
      if (!IsClassGuid(guid))
        return fail("a class needs a \"guid\" in braces");
      const int icon = static_cast<int>(Number(c, "icon").value_or(0));
      WriteClass(store, {guid, Text(c, "name"), Text(c, "description"), icon});
    }
  }
  if (auto it = profile.find("devices"); it != profile.end()) {
    if (!it->is_array())
      return fail("\"devices\" must be a list");
    for (const auto& d : *it) {
      std::string why;
      if (!AddOneDevice(pc, store, d, nullptr, &why))
        return fail(why);
    }
  }
  store.Commit();
  return true;
}

namespace {

nlohmann::json RegValueToJson(const std::string& name, const RegValue& v) {
  nlohmann::json j = {{"name", name}, {"type", RegTypeName(v.type)}};
  switch (v.type) {
    case RegType::kSz:
    case RegType::kExpandSz:
      j["data"] = v.AsString();
      break;
    case RegType::kDword:
      j["data"] = v.AsDword();
      break;
    case RegType::kQword:
      j["data"] = v.AsQword();
      break;
    case RegType::kMultiSz:
      j["data"] = v.AsMultiString();
      break;
    default: {
      std::string hex;
      char pair[4];
      for (uint8_t b : v.data) {
        std::snprintf(pair, sizeof pair, "%02x", b);
        hex += pair;
      }
      j["data"] = hex;
    }
  }
  return j;
}

bool ValueHasKind(const RegValue& v, Kind kind) {
  switch (kind) {
    case Kind::kText:
      return v.type == RegType::kSz;
    case Kind::kTexts:
      return v.type == RegType::kMultiSz;
    case Kind::kNumber:
      return v.type == RegType::kDword && v.data.size() == 4;
    default:
      return false;
  }
}

std::string PropertyText(const VirtualPc& pc, const NamedProperty& p, const RegValue& value) {
  if (p.type == kDevPropFileTime)
    return LocalDateText(pc, FileTimeOf(value.data));
  return value.AsString();
}

// Whether a stored property holds what AddDevice derives from the text.
bool SameProperty(const VirtualPc& pc,
                  const NamedProperty& p,
                  const RegValue& value,
                  const std::string& derived) {
  if (p.type != kDevPropFileTime)
    return value.AsString() == derived;
  uint64_t ft = 0;
  return ParseLocalDate(pc, derived, &ft) && FileTimeOf(value.data) == ft;
}

}  // namespace

nlohmann::json DescribeDevice(VirtualPc* pc, std::string_view instance_id) {
  RegistryStore store(*pc);
  const int64_t key = FindPath(store, std::string(kEnumPath) + std::string(instance_id));
  if (key == 0)
    return nullptr;
  nlohmann::json d = nlohmann::json::object();
  d["instance_id"] = std::string(instance_id);
  std::vector<std::pair<std::string, RegValue>> values;
  store.Values(key, &values);
  nlohmann::json registry = nlohmann::json::array();
  std::string driver_key;
  for (const auto& [name, value] : values) {
    const EnumValue* known = nullptr;
    for (const EnumValue& v : kEnumValues) {
      if (EqualsIgnoreCase(v.value, name) && ValueHasKind(value, v.kind))
        known = &v;
    }
    if (EqualsIgnoreCase(name, "Driver") && value.type == RegType::kSz) {
      driver_key = value.AsString();
    } else if (!known) {
      registry.push_back(RegValueToJson(name, value));
    } else if (known->kind == Kind::kText) {
      d[std::string(known->field)] = value.AsString();
    } else if (known->kind == Kind::kTexts) {
      d[std::string(known->field)] = value.AsMultiString();
    } else {
      d[std::string(known->field)] = value.AsDword();
    }
  }
  const std::string class_guid = Text(d, "class_guid");
  if (const SetupClass* c = FindStandardClass(class_guid)) {
    if (Text(d, "class") == c->name)
      d.erase("class_guid");
  }
  DeviceNode node;
  const bool has_node = FindDeviceNode(pc, instance_id, &node);
  if (auto it = d.find("config_flags");
      it != d.end() && it->get<uint32_t>() == DefaultConfigFlags(node.problem)) {
    d.erase(it);
  }

  nlohmann::json driver;
  if (const int64_t dk =
          driver_key.empty() ? 0 : FindPath(store, std::string(kClassPath) + driver_key)) {
    driver = nlohmann::json::object();
    driver["key"] = driver_key.substr(driver_key.rfind('\\') + 1);
    std::vector<std::pair<std::string, RegValue>> driver_values;
    store.Values(dk, &driver_values);
    nlohmann::json extra = nlohmann::json::array();
    for (const auto& [name, value] : driver_values) {
      std::string_view field;
      for (const auto& [value_name, field_name] : kDriverValues) {
        if (EqualsIgnoreCase(value_name, name) && value.type == RegType::kSz)
          field = field_name;
      }
      if (!field.empty()) {
        driver[std::string(field)] = value.AsString();
      } else if (EqualsIgnoreCase(name, "DriverDateData") && value.type == RegType::kBinary) {
        driver["date"] = LocalDateText(*pc, FileTimeOf(value.data)).substr(0, 10);
      } else if (!EqualsIgnoreCase(name, "DriverDate")) {
        extra.push_back(RegValueToJson(name, value));
      }
    }
    if (!extra.empty())
      driver["registry"] = extra;
    d["driver"] = driver;
  }

  if (pc->facts().major >= 6) {
    std::map<std::string, std::string> derived;
    if (driver.is_object()) {
      for (const auto& [property, field] : kDerivedFromDriver)
        derived[std::string(property)] = Text(driver, field);
    }
    for (const auto& [property, field] : kDerivedFromDevice)
      derived[std::string(property)] = Text(d, field);
    nlohmann::json properties = nlohmann::json::object();
    for (const NamedProperty& p : kProperties) {
      const std::string name(p.name);
      const std::string expected = derived.count(name) ? derived[name] : std::string();
      int64_t prop = 0;
      RegValue value;
      const bool stored =
          store.FindKey(key, "Properties\\" + std::string(p.fmtid) + "\\" + Hex4(p.pid), &prop) ==
              0 &&
          store.GetValue(prop, "", &value) == 0;
      if (!stored) {
        if (!expected.empty())
          properties[name] = nullptr;
      } else if (expected.empty() || !SameProperty(*pc, p, value, expected)) {
        properties[name] = PropertyText(*pc, p, value);
      }
    }
    if (!properties.empty())
      d["properties"] = properties;
  }
  if (!registry.empty())
    d["registry"] = registry;

  if (has_node) {
    const uint32_t config_flags =
        Number(d, "config_flags").value_or(DefaultConfigFlags(node.problem));
    if (!node.present)
      d["present"] = false;
    if (node.problem != 0)
      d["problem"] = node.problem;
    if (node.status != DefaultDeviceStatus(instance_id, class_guid, node.problem)) {
      d["status"] = node.status;
    }
    if (node.install_state != InstallStateOf(config_flags))
      d["install_state"] = node.install_state;
    if (!node.physical_name.empty())
      d["physical_name"] = node.physical_name;
  }
  return d;
}

}  // namespace tav::platform::vpc
