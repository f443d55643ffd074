#include "platform/linux/device_faults.h"

#include <map>
#include <mutex>
#include <string>

#include "platform/linux/virtual_pc.h"
#include "platform/text.h"

namespace tav::platform::vpc {

namespace {

std::mutex g_mutex;
// Strikes so far per fault (by its place in the list), per machine.
std::map<std::pair<std::string, size_t>, int64_t> g_strikes;

bool Matches(const nlohmann::json& fault, const char* field, std::string_view value) {
  const auto it = fault.find(field);
  if (it == fault.end())
    return true;
  if (it->is_number_integer())
    return std::to_string(it->get<int64_t>()) == value;
  return it->is_string() && EqualsIgnoreCase(it->get<std::string>(), value);
}

constexpr std::string_view kCalls[] = {
    "SetupDiGetClassDevs",
    "SetupDiDestroyDeviceInfoList",
    "SetupDiEnumDeviceInfo",
    "SetupDiGetDeviceInstanceId",
    "SetupDiGetDeviceRegistryProperty",
    "SetupDiGetDeviceProperty",
    "SetupDiGetDeviceInstallParams",
    "SetupDiSetDeviceInstallParams",
    "SetupDiBuildDriverInfoList",
    "SetupDiEnumDriverInfo",
    "CM_Get_DevNode_Status",
    "SetupDiGetClassDescription",
};

}  // namespace

bool CheckFaultList(const nlohmann::json& faults, std::string* error) {
  if (!faults.is_array()) {
    *error = "\"faults\" must be a list";
    return false;
  }
  for (const auto& f : faults) {
    if (!f.is_object()) {
      *error = "a fault must be an object";
      return false;
    }
    const auto it = f.find("call");
    const std::string call = it != f.end() && it->is_string() ? it->get<std::string>() : "";
    bool known = false;
    for (std::string_view c : kCalls)
      known = known || c == call;
    if (!known) {
      *error = "fault: unknown call \"" + call + "\"";
      return false;
    }
    for (const auto& [name, value] : f.items()) {
      bool ok = false;
      if (name == "call" || name == "comment" || name == "device" || name == "class") {
        ok = value.is_string();
      } else if (name == "property") {
        ok = value.is_string() || value.is_number_integer();
      } else if (name == "index" || name == "times" || name == "error" || name == "cr") {
        ok = value.is_number_integer();
      } else {
        *error = "fault: unknown field \"" + name + "\"";
        return false;
      }
      if (!ok) {
        *error = "fault: \"" + name + "\" has the wrong type";
        return false;
      }
    }
  }
  return true;
}

std::optional<int64_t> InjectedFault(const FaultQuery& q) {
  VirtualPc& pc = VirtualPc::Current();
  const auto list = pc.profile().find("faults");
  if (list == pc.profile().end() || !list->is_array())
    return std::nullopt;
  for (size_t i = 0; i < list->size(); ++i) {
    const nlohmann::json& f = (*list)[i];
    if (!f.is_object() || f.value("call", "") != q.call)
      continue;
    if (!Matches(f, "device", q.device) || !Matches(f, "property", q.property) ||
        !Matches(f, "class", q.class_guid)) {
      continue;
    }
    if (f.contains("index") && f.value("index", int64_t{-2}) != q.index)
      continue;
    std::lock_guard<std::mutex> lock(g_mutex);
    int64_t& strikes = g_strikes[{pc.root(), i}];
    if (f.contains("times") && strikes >= f.value("times", int64_t{0}))
      continue;
    ++strikes;
    if (f.contains("cr"))
      return f.value("cr", int64_t{0});
    return f.value("error", int64_t{1});
  }
  return std::nullopt;
}

}  // namespace tav::platform::vpc
