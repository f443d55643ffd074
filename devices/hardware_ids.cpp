#include "devices/hardware_ids.h"

#include <algorithm>

#include "core/text_utils.h"

namespace tav {

namespace {

// The text up to and including the first "\", the eight characters from the
// first vendor tag, "&", the eight characters from the first device tag.
std::string VendorDevice(const std::string& id, std::string_view vendor_tag,
                         std::string_view device_tag) {
  const size_t slash = id.find('\\');
  const std::string prefix = slash == std::string::npos ? std::string() : id.substr(0, slash + 1);
  return prefix + id.substr(id.find(vendor_tag), 8) + "&" + id.substr(id.find(device_tag), 8);
}

}  // namespace

std::string PrepareSqlText(std::string_view text) {
  std::string out = ReplaceAll(text, "\"", "\"\"");
  if (Contains(out, "&&")) out = ReplaceAll(out, "&&", "&");
  return out;
}

std::string ReduceHardwareId(std::string_view id_view) {
  const std::string id = ToUpperAscii(id_view);
  std::string reduced;
  if (Contains(id, "VEN_") && Contains(id, "DEV_")) {
    reduced = VendorDevice(id, "VEN_", "DEV_");
  } else if (Contains(id, "VID_") && Contains(id, "PID_")) {
    reduced = VendorDevice(id, "VID_", "PID_");
  } else {
    reduced = id;
  }
  return PrepareSqlText(reduced);
}

HardwareIdLists ParseHardwareIdList(std::u16string_view buffer, size_t length,
                                    std::vector<std::string>* seen) {
  seen->clear();
  HardwareIdLists lists;
  std::u16string current;
  bool last_was_nul = false;
  const size_t end = std::min(length, buffer.size());
  for (size_t i = 0; i < end; ++i) {
    const char16_t c = buffer[i];
    if (c != 0) {
      current.push_back(c);
      last_was_nul = false;
      continue;
    }
    if (last_was_nul) break;
    last_was_nul = true;
    const std::string id = Utf16ToUtf8(current);
    current.clear();
    if (!lists.raw.empty()) lists.raw += ',';
    lists.raw += id;
    const std::string reduced = ReduceHardwareId(id);
    if (std::find(seen->begin(), seen->end(), reduced) == seen->end()) {
      seen->push_back(reduced);
      if (!lists.reduced.empty()) lists.reduced += ',';
      lists.reduced += reduced;
    }
  }
  lists.raw = ToUpperAscii(lists.raw);
  lists.reduced = ToUpperAscii(lists.reduced);
  return lists;
}

}  // namespace tav
