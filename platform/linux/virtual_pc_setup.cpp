#include "platform/linux/virtual_pc_setup.h"

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "platform/linux/device_tree.h"
#include "platform/linux/registry_store.h"
#include "platform/text.h"

namespace tav::platform::vpc {

namespace fs = std::filesystem;

namespace {

// Host folder of a Windows path on the new machine (no case matching needed:
// everything is created here with the case written below).
fs::path HostOf(const VirtualPc& pc, const std::string& windows_path) {
  std::string rest = windows_path.size() > 3 ? windows_path.substr(3) : "";
  for (char& c : rest) {
    if (c == '\\') c = '/';
  }
  return fs::path(pc.DriveRoot(windows_path[0])) / rest;
}

bool WriteFile(const fs::path& path, const std::string& content, std::string* error) {
  std::error_code ec;
  fs::create_directories(path.parent_path(), ec);
  std::ofstream out(path, std::ios::binary);
  out << content;
  if (!out) {
    *error = "cannot write " + path.string();
    return false;
  }
  return true;
}

int Hex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = AsciiLower(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool SetValue(RegistryStore& store, RegRoot root, const std::string& path, const std::string& name,
              const RegValue& value) {
  int64_t id = 0;
  return store.CreateKey(RegistryStore::RootId(root), path, &id, nullptr) == 0 &&
         store.SetValue(id, name, value) == 0;
}

void SeedRegistry(VirtualPc* pc) {
  const MachineFacts& f = pc->facts();
  RegistryStore store(*pc);
  store.Begin();
  const std::string nt = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
  SetValue(store, RegRoot::kLocalMachine, nt, "ProductName", RegValue::String(f.os_name));
  SetValue(store, RegRoot::kLocalMachine, nt, "CurrentVersion",
           RegValue::String(std::to_string(f.major) + "." + std::to_string(f.minor)));
  SetValue(store, RegRoot::kLocalMachine, nt, "CurrentBuildNumber",
           RegValue::String(std::to_string(f.build)));
  SetValue(store, RegRoot::kLocalMachine, nt, "CSDVersion",
           RegValue::String(f.service_pack ? "Service Pack " + std::to_string(f.service_pack) : ""));
  SetValue(store, RegRoot::kLocalMachine, nt, "SystemRoot", RegValue::String(f.windows_dir));
  const std::string cv = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
  SetValue(store, RegRoot::kLocalMachine, cv, "ProgramFilesDir",
           RegValue::String(f.program_files_dir));
  SetValue(store, RegRoot::kLocalMachine, cv, "CommonFilesDir",
           RegValue::String(f.program_files_dir + "\\Common Files"));
  if (f.is_64bit) {
    SetValue(store, RegRoot::kLocalMachine, cv, "ProgramFilesDir (x86)",
             RegValue::String(f.program_files_x86_dir));
    SetValue(store, RegRoot::kLocalMachine, cv, "CommonFilesDir (x86)",
             RegValue::String(f.program_files_x86_dir + "\\Common Files"));
    SetValue(store, RegRoot::kLocalMachine, cv, "ProgramW6432Dir",
             RegValue::String(f.program_files_dir));
    SetValue(store, RegRoot::kLocalMachine, cv, "CommonW6432Dir",
             RegValue::String(f.program_files_dir + "\\Common Files"));
  }
  SetValue(store, RegRoot::kLocalMachine,
           "SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName", "ComputerName",
           RegValue::String(f.computer_name));
  int64_t id = 0;
  // The user's hive spells it "Software", the machine's "SOFTWARE".
  store.CreateKey(RegistryStore::RootId(RegRoot::kCurrentUser),
                  "Software\\Microsoft\\Windows\\CurrentVersion\\Run", &id, nullptr);
  store.CreateKey(RegistryStore::RootId(RegRoot::kLocalMachine), "SYSTEM\\CurrentControlSet\\Enum",
                  &id, nullptr);
  store.CreateKey(RegistryStore::RootId(RegRoot::kLocalMachine),
                  "SYSTEM\\CurrentControlSet\\Control\\Class", &id, nullptr);
  store.Commit();
}

}  // namespace

bool RegValueFromJson(const nlohmann::json& j, std::string* name, RegValue* value,
                      std::string* error) {
  if (!j.is_object()) {
    *error = "a registry value must be an object";
    return false;
  }
  *name = j.value("name", "");
  const std::string type = j.value("type", "REG_SZ");
  const nlohmann::json data = j.value("data", nlohmann::json());
  if (type == "REG_SZ" || type == "REG_EXPAND_SZ") {
    if (!data.is_string()) {
      *error = "value " + *name + ": " + type + " data must be a text";
      return false;
    }
    *value = RegValue::String(data.get<std::string>(),
                              type == "REG_SZ" ? RegType::kSz : RegType::kExpandSz);
  } else if (type == "REG_DWORD" || type == "REG_QWORD") {
    if (!data.is_number_integer()) {
      *error = "value " + *name + ": " + type + " data must be a number";
      return false;
    }
    *value = type == "REG_DWORD" ? RegValue::Dword(data.get<uint32_t>())
                                 : RegValue::Qword(data.get<uint64_t>());
  } else if (type == "REG_MULTI_SZ") {
    if (!data.is_array()) {
      *error = "value " + *name + ": REG_MULTI_SZ data must be a list of texts";
      return false;
    }
    std::vector<std::string> items;
    for (const auto& item : data) {
      if (!item.is_string()) {
        *error = "value " + *name + ": REG_MULTI_SZ data must be a list of texts";
        return false;
      }
      items.push_back(item.get<std::string>());
    }
    *value = RegValue::MultiString(items);
  } else if (type == "REG_BINARY" || type == "REG_NONE") {
    const std::string hex = data.is_string() ? data.get<std::string>() : "";
    std::vector<uint8_t> bytes;
    std::string digits;
    for (char c : hex) {
      if (Hex(c) >= 0) digits += c;
    }
    if (digits.size() % 2) {
      *error = "value " + *name + ": binary data needs pairs of hexadecimal digits";
      return false;
    }
    for (size_t i = 0; i < digits.size(); i += 2) {
      bytes.push_back(static_cast<uint8_t>(Hex(digits[i]) * 16 + Hex(digits[i + 1])));
    }
    *value = RegValue::Binary(std::move(bytes));
    if (type == "REG_NONE") value->type = RegType::kNone;
  } else {
    *error = "value " + *name + ": unknown type " + type;
    return false;
  }
  return true;
}

bool ApplyRegistryList(VirtualPc* pc, const nlohmann::json& list, std::string* error) {
  if (!list.is_array()) {
    *error = "\"registry\" must be a list of keys";
    return false;
  }
  RegistryStore store(*pc);
  store.Begin();
  for (const auto& entry : list) {
    const std::string key = entry.is_object() ? entry.value("key", "") : "";
    const size_t slash = key.find('\\');
    RegRoot root;
    if (slash == std::string::npos || !ParseRegRoot(key.substr(0, slash), &root)) {
      *error = "registry key \"" + key + "\" does not start with a root key";
      store.Rollback();
      return false;
    }
    int64_t id = 0;
    if (store.CreateKey(RegistryStore::RootId(root), key.substr(slash + 1), &id, nullptr) != 0) {
      *error = "cannot create registry key " + key;
      store.Rollback();
      return false;
    }
    for (const auto& v : entry.value("values", nlohmann::json::array())) {
      std::string name;
      RegValue value;
      if (!RegValueFromJson(v, &name, &value, error)) {
        store.Rollback();
        return false;
      }
      store.SetValue(id, name, value);
    }
  }
  store.Commit();
  return true;
}

bool SetUpNewMachine(VirtualPc* pc, std::string* error) {
  const MachineFacts& f = pc->facts();
  std::error_code ec;
  for (const Drive& d : f.drives) fs::create_directories(pc->DriveRoot(d.letter), ec);
  if (pc->DriveRoot(f.windows_dir[0]).empty()) {
    *error = "the Windows folder " + f.windows_dir + " is on a drive the PC does not have";
    return false;
  }
  std::vector<std::string> folders = {
      f.windows_dir,
      f.windows_dir + "\\System32",
      f.windows_dir + "\\System32\\drivers",
      f.windows_dir + "\\System32\\drivers\\etc",
      f.windows_dir + "\\inf",
      f.windows_dir + "\\Temp",
      f.program_files_dir,
      f.program_files_dir + "\\Common Files",
      f.profile_dir,
      f.app_data_dir,
      f.local_app_data_dir,
      f.documents_dir,
      f.common_app_data_dir,
  };
  if (f.major < 6) {
    folders.push_back(f.profile_dir + "\\Local Settings\\Temp");
  } else {
    folders.push_back(f.local_app_data_dir + "\\Temp");
  }
  if (f.is_64bit) {
    folders.push_back(f.windows_dir + "\\SysWOW64");
    folders.push_back(f.windows_dir + "\\SysWOW64\\drivers");
    folders.push_back(f.program_files_x86_dir);
    folders.push_back(f.program_files_x86_dir + "\\Common Files");
  }
  for (const std::string& folder : folders) fs::create_directories(HostOf(*pc, folder), ec);

  // System programs that the PC's tool carries out.
  struct Builtin {
    const char* file;
    const char* name;
  };
  const Builtin builtins[] = {{"schtasks.exe", "schtasks"}, {"reg.exe", "reg"}};
  std::vector<std::string> system_folders = {f.windows_dir + "\\System32"};
  if (f.is_64bit) system_folders.push_back(f.windows_dir + "\\SysWOW64");
  for (const std::string& folder : system_folders) {
    for (const Builtin& b : builtins) {
      if (!WriteFile(HostOf(*pc, folder + "\\" + b.file),
                     std::string("#!tavrolin-vpc builtin ") + b.name + "\n", error)) {
        return false;
      }
    }
  }
  if (!WriteFile(HostOf(*pc, f.windows_dir + "\\regedit.exe"), "#!tavrolin-vpc builtin regedit\n",
                 error)) {
    return false;
  }

  // The installed product, unless the profile says it is not installed.
  const nlohmann::json program = pc->profile().value("program", nlohmann::json::object());
  if (program.value("installed", true)) {
    const std::string folder = f.program_path.substr(0, f.program_path.rfind('\\'));
    if (!WriteFile(HostOf(*pc, f.program_path), "#!tavrolin-program tavrolin\n", error)) return false;
    // The program's archive library; on this platform the archive code is
    // linked in, the file marks an intact installation.
    if (!WriteFile(HostOf(*pc, folder + "\\7z.dll"), "archive library\n", error)) return false;
    if (f.is_64bit &&
        !WriteFile(HostOf(*pc, folder + "\\stub64.exe"), "#!tavrolin-program tavrolin-stub64\n",
                   error)) {
      return false;
    }
  }

  SeedRegistry(pc);
  if (!ImportDeviceProfile(pc, pc->profile(), error)) return false;
  if (auto it = pc->profile().find("registry"); it != pc->profile().end()) {
    if (!ApplyRegistryList(pc, *it, error)) return false;
  }

  const auto os = pc->profile().value("os", nlohmann::json::object());
  const uint64_t uptime_ms = os.value("uptime_seconds", uint64_t{3600}) * 1000;
  using namespace std::chrono;
  const uint64_t now =
      static_cast<uint64_t>(duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count());
  pc->SetBootTimeMs(now - uptime_ms);
  return true;
}

}  // namespace tav::platform::vpc
