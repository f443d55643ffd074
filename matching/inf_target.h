// The platform an INF's models are chosen for, and the choice among the
// decorations of a [Manufacturer] entry (NTamd64, NTx86.6.1, NT, ...) the
// way Windows makes it: a decoration applies when its architecture is the
// target's (no architecture: x86 only) and its OS version, product type and
// build are not above the target's; of those that apply the one with the
// highest version wins, an architecture or product type given beats none,
// and the first listed wins a tie. When none applies, x86 falls back to the
// undecorated models section; 64-bit Windows has no such fallback.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

enum class InfArch { kX86, kAmd64, kIa64, kArm, kArm64 };

struct InfTarget {
  InfArch arch = InfArch::kX86;
  uint32_t major = 6, minor = 1, build = 7600;
  uint32_t product_type = 1;  // VER_NT_WORKSTATION
};

// The Windows of an OS code (5, 6, 7, 8, 81, 10); nothing for another code.
std::optional<InfTarget> InfTargetForOsCode(int os_code, bool is_64bit);
// Every OS code, oldest first.
const std::vector<int>& AllOsCodes();

struct InfDecoration {
  std::string arch;  // lower case; empty when not given
  std::optional<uint32_t> major, minor, product_type, suite_mask, build;
};

// "NT[arch][.major[.minor[.product[.suite[.build]]]]]", letter case ignored.
bool ParseInfDecoration(std::string_view text, InfDecoration* decoration);
bool InfDecorationApplies(const InfDecoration& decoration, const InfTarget& target);
// The index of the best decoration for the target; -1 when none applies.
int ChooseInfDecoration(const std::vector<std::string>& decorations, const InfTarget& target);
bool InfTargetUsesUndecoratedModels(const InfTarget& target);

}  // namespace tav
