#include "matching/version_compare.h"

#include <vector>

#include "core/folders.h"
#include "core/text_utils.h"

namespace tav {

namespace {

std::vector<std::string_view> InboxPrefixes() {
  switch (GetOsCode()) {
    case 5:
      if (IsWow64()) return {"5.2.3790."};
      return {"5.1.2600."};
    case 6: return {"6.0.6000.", "6.0.6001.", "6.0.6002.", "6.1.6002."};
    case 7: return {"6.1.7100.", "6.1.7600.", "6.1.7601."};
    case 8: return {"6.2.8400.", "6.2.9200."};
    case 81: return {"6.3.9600.", "6.3.9431."};
    case 10: return {"10.0.10240."};
    default: return {};
  }
}

int64_t PartValue(std::string_view part) {
  if (part.empty()) return 0;
  for (char c : part) {
    if (c < '0' || c > '9') return 0;
  }
  int64_t value = 0;
  return TryStrToInt(part, &value) ? value : 0;
}

}  // namespace

bool IsInboxDriver(std::string_view version, std::string_view provider) {
  if (provider != "MICROSOFT") return false;
  for (std::string_view prefix : InboxPrefixes()) {
    if (StartsWith(version, prefix)) return true;
  }
  return false;
}

int CompareVersionParts(std::string_view a, std::string_view b) {
  const std::vector<std::string> pa = Split(a, '.');
  const std::vector<std::string> pb = Split(b, '.');
  const size_t n = std::max(pa.size(), pb.size());
  for (size_t i = 0; i < n; ++i) {
    const int64_t x = i < pa.size() ? PartValue(pa[i]) : 0;
    const int64_t y = i < pb.size() ? PartValue(pb[i]) : 0;
    if (x != y) return x < y ? -1 : 1;
  }
  return 0;
}

bool VersionLess(std::string_view a, std::string_view b, std::string_view provider) {
  if (a.empty() || b.empty() || a == b) return false;
  if (IsInboxDriver(a, provider)) return true;
  return CompareVersionParts(a, b) < 0;
}

}  // namespace tav
