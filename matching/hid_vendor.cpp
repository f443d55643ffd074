#include "matching/hid_vendor.h"

#include <map>
#include <mutex>

#include "matching/driver_database.h"
#include "matching/id_list.h"

namespace tav {

namespace {

std::mutex g_mutex;
std::map<std::string, std::string, std::less<>> g_cache;  // "VEN_8086" → vendor or "EMPTY"

constexpr std::string_view kEmpty = "EMPTY";

// The code after the tag up to the next "&" or the end.
std::string CodeAfter(std::string_view id, std::string_view tag) {
  const size_t at = id.find(tag);
  if (at == std::string_view::npos) return {};
  const size_t start = at + tag.size();
  const size_t end = id.find('&', start);
  return std::string(id.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
}

std::string LookUp(SqliteDatabase& db, std::string_view tag, const std::string& code) {
  const std::string key = std::string(tag) + code;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (auto it = g_cache.find(key); it != g_cache.end()) return it->second == kEmpty ? "" : it->second;
  }
  std::string vendor;
  if (SqliteStatement* stmt = db.Prepare(tag == "VEN_" ? driver_sql::kPciVendor : driver_sql::kUsbVendor)) {
    stmt->Bind(1, code);
    if (stmt->Step()) vendor = stmt->Text("vendor");
    stmt->Reset();
  }
  std::lock_guard<std::mutex> lock(g_mutex);
  g_cache[key] = vendor.empty() ? std::string(kEmpty) : vendor;
  return vendor;
}

}  // namespace

std::string IdVendor(SqliteDatabase& db, std::string_view id) {
  for (std::string_view tag : {std::string_view("VEN_"), std::string_view("VID_")}) {
    const std::string code = CodeAfter(id, tag);
    if (code.empty() && id.find(tag) == std::string_view::npos) continue;
    const std::string vendor = LookUp(db, tag, code);
    if (!vendor.empty()) return vendor;
  }
  return {};
}

std::string DeviceHidVendor(SqliteDatabase& db, std::string_view regular_ids) {
  std::string agreed;
  for (const std::string& id : SplitIdList(regular_ids)) {
    const std::string vendor = IdVendor(db, id);
    if (vendor.empty()) continue;
    if (agreed.empty()) {
      agreed = vendor;
    } else if (agreed != vendor) {
      return {};
    }
  }
  return agreed;
}

void ClearVendorCodeCache() {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_cache.clear();
}

}  // namespace tav
