#include "devices/version_text.h"

#include "core/text_utils.h"

namespace tav {

namespace {

int64_t DecimalOrZero(std::string_view part) {
  if (part.empty()) return 0;
  size_t i = (part[0] == '-' || part[0] == '+') ? 1 : 0;
  if (i == part.size()) return 0;
  for (size_t k = i; k < part.size(); ++k) {
    if (part[k] < '0' || part[k] > '9') return 0;
  }
  int64_t value = 0;
  return TryStrToInt(part, &value) && value >= INT32_MIN && value <= INT32_MAX ? value : 0;
}

}  // namespace

std::string NormalizeVersion(std::string_view text) {
  if (text.empty()) return {};
  std::vector<std::string> parts = Split(ReplaceAll(text, ",", "."), '.');
  for (std::string& part : parts) part = std::to_string(DecimalOrZero(part));
  return Join(parts, ".");
}

std::string VersionFrom64(uint32_t low, uint32_t high) {
  return std::to_string(high >> 16) + "." + std::to_string(high & 0xFFFF) + "." +
         std::to_string(low >> 16) + "." + std::to_string(low & 0xFFFF);
}

}  // namespace tav
