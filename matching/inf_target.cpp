#include "matching/inf_target.h"

#include <cstdlib>
#include <tuple>

#include "core/text_utils.h"

namespace tav {

namespace {

std::string_view ArchName(InfArch arch) {
  switch (arch) {
    case InfArch::kX86:
      return "x86";
    case InfArch::kAmd64:
      return "amd64";
    case InfArch::kIa64:
      return "ia64";
    case InfArch::kArm:
      return "arm";
    case InfArch::kArm64:
      return "arm64";
  }
  return "x86";
}

bool KnownArch(std::string_view arch) {
  return arch.empty() || arch == "x86" || arch == "amd64" || arch == "ia64" || arch == "arm" ||
         arch == "arm64";
}

// A field of a decoration: decimal, or hexadecimal with "0x"; empty is "not given".
bool ParseField(std::string_view text, std::optional<uint32_t>* value) {
  const std::string field = Trim(text);
  if (field.empty())
    return true;
  char* end = nullptr;
  const unsigned long number = std::strtoul(field.c_str(), &end, 0);
  if (*end != '\0')
    return false;
  *value = static_cast<uint32_t>(number);
  return true;
}

auto Strength(const InfDecoration& d) {
  return std::make_tuple(d.major.value_or(0), d.minor.value_or(0), d.build.value_or(0),
                         !d.arch.empty(), d.product_type.value_or(0) != 0);
}

}  // namespace

std::optional<InfTarget> InfTargetForOsCode(int os_code, bool is_64bit) {
  InfTarget t;
  t.arch = is_64bit ? InfArch::kAmd64 : InfArch::kX86;
  switch (os_code) {
    case 5:
      // 64-bit XP is the Windows Server 2003 kernel.
      std::tie(t.major, t.minor, t.build) =
          is_64bit ? std::make_tuple(5u, 2u, 3790u) : std::make_tuple(5u, 1u, 2600u);
      return t;
    case 6:
      std::tie(t.major, t.minor, t.build) = std::make_tuple(6u, 0u, 6002u);
      return t;
    case 7:
      std::tie(t.major, t.minor, t.build) = std::make_tuple(6u, 1u, 7601u);
      return t;
    case 8:
      std::tie(t.major, t.minor, t.build) = std::make_tuple(6u, 2u, 9200u);
      return t;
    case 81:
      std::tie(t.major, t.minor, t.build) = std::make_tuple(6u, 3u, 9600u);
      return t;
    // One code stands for every Windows 10 build; the latest one's INFs are offered.
    case 10:
      std::tie(t.major, t.minor, t.build) = std::make_tuple(10u, 0u, 19045u);
      return t;
    default:
      return std::nullopt;
  }
}

const std::vector<int>& AllOsCodes() {
  static const std::vector<int> codes = {5, 6, 7, 8, 81, 10};
  return codes;
}

bool ParseInfDecoration(std::string_view text, InfDecoration* decoration) {
  const std::string lower = ToLowerAscii(Trim(text));
  if (!StartsWith(lower, "nt"))
    return false;
  std::vector<std::string> parts = Split(std::string_view(lower).substr(2), '.');
  InfDecoration d;
  d.arch = parts[0];
  if (!KnownArch(d.arch) || parts.size() > 6)
    return false;
  std::optional<uint32_t>* fields[] = {&d.major, &d.minor, &d.product_type, &d.suite_mask,
                                       &d.build};
  for (size_t i = 1; i < parts.size(); ++i) {
    if (!ParseField(parts[i], fields[i - 1]))
      return false;
  }
  *decoration = d;
  return true;
}

bool InfDecorationApplies(const InfDecoration& d, const InfTarget& target) {
  if (d.arch.empty() ? target.arch != InfArch::kX86 : d.arch != ArchName(target.arch))
    return false;
  if (d.major &&
      std::make_pair(target.major, target.minor) < std::make_pair(*d.major, d.minor.value_or(0))) {
    return false;
  }
  if (d.product_type.value_or(0) != 0 && *d.product_type != target.product_type)
    return false;
  return !d.build || target.build >= *d.build;
}

int ChooseInfDecoration(const std::vector<std::string>& decorations, const InfTarget& target) {
  int best = -1;
  InfDecoration best_decoration;
  for (size_t i = 0; i < decorations.size(); ++i) {
    InfDecoration d;
    if (!ParseInfDecoration(decorations[i], &d) || !InfDecorationApplies(d, target))
      continue;
    if (best < 0 || Strength(d) > Strength(best_decoration)) {
      best = static_cast<int>(i);
      best_decoration = d;
    }
  }
  return best;
}

bool InfTargetUsesUndecoratedModels(const InfTarget& target) {
  return target.arch == InfArch::kX86;
}

}  // namespace tav
