// Names of device-node status flags, capability flags, problem codes and
// install states, as the device list writes them.
#pragma once

#include <cstdint>
#include <string>

namespace tav {

// The names of the set flags in the fixed table order, each followed by a
// blank, the whole trimmed.
std::string StatusFlagsText(uint32_t flags);
std::string CapabilitiesText(uint32_t flags);
// CM_PROB_ names for 1..49; "" for 0; "Unknown" otherwise.
std::string ProblemText(uint32_t problem);
// CM_INSTALL_STATE_ names for 0..3; "unknown 0x" + 8 hex digits otherwise.
std::string InstallStateText(uint32_t state);

inline constexpr uint32_t kDnHasProblem = 0x400;
inline constexpr uint32_t kDnNeedRestart = 0x100;
inline constexpr uint32_t kProblemNeedRestart = 14;
inline constexpr uint32_t kProblemDisabled = 22;

struct DeviceStatus {
  bool connected = false;
  bool failed = false;
  bool needs_restart = false;
};

// From a successful status query: connected unless disabled (problem 22),
// failed when it has a problem other than 14 and 22.
DeviceStatus StatusFromNode(uint32_t flags, uint32_t problem);

}  // namespace tav
