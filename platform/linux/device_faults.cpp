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
  if (it == fault.end()) return true;
  if (it->is_number_integer()) return std::to_string(it->get<int64_t>()) == value;
  return it->is_string() && EqualsIgnoreCase(it->get<std::string>(), value);
}

}  // namespace

std::optional<int64_t> InjectedFault(const FaultQuery& q) {
  VirtualPc& pc = VirtualPc::Current();
  const auto list = pc.profile().find("faults");
  if (list == pc.profile().end() || !list->is_array()) return std::nullopt;
  for (size_t i = 0; i < list->size(); ++i) {
    const nlohmann::json& f = (*list)[i];
    if (!f.is_object() || f.value("call", "") != q.call) continue;
    if (!Matches(f, "device", q.device) || !Matches(f, "property", q.property) ||
        !Matches(f, "class", q.class_guid)) {
      continue;
    }
    if (f.contains("index") && f.value("index", int64_t{-2}) != q.index) continue;
    std::lock_guard<std::mutex> lock(g_mutex);
    int64_t& strikes = g_strikes[{pc.root(), i}];
    if (f.contains("times") && strikes >= f.value("times", int64_t{0})) continue;
    ++strikes;
    if (f.contains("cr")) return f.value("cr", int64_t{0});
    return f.value("error", int64_t{1});
  }
  return std::nullopt;
}

}  // namespace tav::platform::vpc
