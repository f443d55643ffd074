#include "devices/device_state_names.h"

#include <string_view>

#include "core/text_utils.h"

namespace tav {

namespace {

struct FlagName {
  uint32_t flag;
  std::string_view name;
};

// The order is the order of the words in the output, not the order of the bits.
constexpr FlagName kStatusFlags[] = {
    {0x100, "DN_NEED_RESTART"},        {0x40, "DN_DRIVER_BLOCKED"},
    {0x1000, "DN_LEGACY_DRIVER"},      {0x1, "DN_ROOT_ENUMERATED"},
    {0x2, "DN_DRIVER_LOADED"},         {0x4, "DN_ENUM_LOADED"},
    {0x8, "DN_STARTED"},               {0x10, "DN_MANUAL"},
    {0x20, "DN_NEED_TO_ENUM"},         {0x80, "DN_HARDWARE_ENUM"},
    {0x200, "DN_HAS_MARK"},            {0x400, "DN_HAS_PROBLEM"},
    {0x800, "DN_FILTERED"},            {0x2000, "DN_DISABLEABLE"},
    {0x4000, "DN_REMOVABLE"},          {0x8000, "DN_PRIVATE_PROBLEM"},
    {0x10000, "DN_MF_PARENT"},         {0x20000, "DN_MF_CHILD"},
    {0x40000, "DN_WILL_BE_REMOVED"},   {0x80000, "DN_NOT_FIRST_TIMEE"},
    {0x100000, "DN_STOP_FREE_RES"},    {0x200000, "DN_REBAL_CANDIDATE"},
    {0x400000, "DN_BAD_PARTIAL"},      {0x800000, "DN_NT_ENUMERATOR"},
    {0x1000000, "DN_NT_DRIVER"},       {0x2000000, "DN_NEEDS_LOCKING"},
    {0x4000000, "DN_ARM_WAKEUP"},      {0x8000000, "DN_APM_ENUMERATOR"},
    {0x10000000, "DN_APM_DRIVER"},     {0x20000000, "DN_SILENT_INSTALL"},
    {0x40000000, "DN_NO_SHOW_IN_DM"},  {0x80000000, "DN_BOOT_LOG_PROB"},
};

constexpr FlagName kCapabilityFlags[] = {
    {0x1, "CM_DEVCAP_LOCKSUPPORTED"},     {0x2, "CM_DEVCAP_EJECTSUPPORTED"},
    {0x4, "CM_DEVCAP_REMOVABLE"},         {0x8, "CM_DEVCAP_DOCKDEVICE"},
    {0x10, "CM_DEVCAP_UNIQUEID"},         {0x20, "CM_DEVCAP_SILENTINSTALL"},
    {0x40, "CM_DEVCAP_RAWDEVICEOK"},      {0x80, "CM_DEVCAP_SURPRISEREMOVALOK"},
    {0x100, "CM_DEVCAP_HARDWAREDISABLED"}, {0x200, "CM_DEVCAP_NONDYNAMIC"},
};

constexpr std::string_view kProblemNames[] = {
    "",
    "CM_PROB_NOT_CONFIGURED",
    "CM_PROB_DEVLOADER_FAILED",
    "CM_PROB_OUT_OF_MEMORY",
    "CM_PROB_ENTRY_IS_WRONG_TYPE",
    "CM_PROB_LACKED_ARBITRATOR",
    "CM_PROB_BOOT_CONFIG_CONFLICT",
    "CM_PROB_FAILED_FILTER",
    "CM_PROB_DEVLOADER_NOT_FOUND",
    "CM_PROB_INVALID_DATA",
    "CM_PROB_FAILED_START",
    "CM_PROB_LIAR",
    "CM_PROB_NORMAL_CONFLICT",
    "CM_PROB_NOT_VERIFIED",
    "CM_PROB_NEED_RESTART",
    "CM_PROB_REENUMERATION",
    "CM_PROB_PARTIAL_LOG_CONF",
    "CM_PROB_UNKNOWN_RESOURCE",
    "CM_PROB_REINSTALL",
    "CM_PROB_REGISTRY",
    "CM_PROB_VXDLDR",
    "CM_PROB_WILL_BE_REMOVED",
    "CM_PROB_DISABLED",
    "CM_PROB_DEVLOADER_NOT_READY",
    "CM_PROB_DEVICE_NOT_THERE",
    "CM_PROB_MOVED",
    "CM_PROB_TOO_EARLY",
    "CM_PROB_NO_VALID_LOG_CONF",
    "CM_PROB_FAILED_INSTALL",
    "CM_PROB_HARDWARE_DISABLED",
    "CM_PROB_CANT_SHARE_IRQ",
    "CM_PROB_FAILED_ADD",
    "CM_PROB_DISABLED_SERVICE",
    "CM_PROB_TRANSLATION_FAILED",
    "CM_PROB_NO_SOFTCONFIG",
    "CM_PROB_BIOS_TABLE",
    "CM_PROB_IRQ_TRANSLATION_FAILED",
    "CM_PROB_FAILED_DRIVER_ENTRY",
    "CM_PROB_DRIVER_FAILED_PRIOR_UNLOAD",
    "CM_PROB_DRIVER_FAILED_LOAD",
    "CM_PROB_DRIVER_SERVICE_KEY_INVALID",
    "CM_PROB_LEGACY_SERVICE_NO_DEVICES",
    "CM_PROB_DUPLICATE_DEVICE",
    "CM_PROB_FAILED_POST_START",
    "CM_PROB_HALTED",
    "CM_PROB_PHANTOM",
    "CM_PROB_SYSTEM_SHUTDOWN",
    "CM_PROB_HELD_FOR_EJECT",
    "CM_PROB_DRIVER_BLOCKED",
    "CM_PROB_REGISTRY_TOO_LARGE",
};

std::string FlagsText(uint32_t flags, const FlagName* table, size_t count) {
  std::string text;
  for (size_t i = 0; i < count; ++i) {
    if (flags & table[i].flag) {
      text += table[i].name;
      text += ' ';
    }
  }
  return Trim(text);
}

}  // namespace

std::string StatusFlagsText(uint32_t flags) {
  return FlagsText(flags, kStatusFlags, std::size(kStatusFlags));
}

std::string CapabilitiesText(uint32_t flags) {
  return FlagsText(flags, kCapabilityFlags, std::size(kCapabilityFlags));
}

std::string ProblemText(uint32_t problem) {
  return problem < std::size(kProblemNames) ? std::string(kProblemNames[problem]) : "Unknown";
}

std::string InstallStateText(uint32_t state) {
  switch (state) {
    case 0: return "CM_INSTALL_STATE_INSTALLED";
    case 1: return "CM_INSTALL_STATE_NEEDS_REINSTALL";
    case 2: return "CM_INSTALL_STATE_FAILED_INSTALL";
    case 3: return "CM_INSTALL_STATE_FINISH_INSTALL";
    default: return "unknown 0x" + IntToHex(state, 8);
  }
}

DeviceStatus StatusFromNode(uint32_t flags, uint32_t problem) {
  DeviceStatus s;
  const bool has_problem = (flags & kDnHasProblem) != 0;
  s.connected = !(has_problem && problem == kProblemDisabled);
  s.failed = has_problem && problem != kProblemNeedRestart && problem != kProblemDisabled;
  s.needs_restart = (flags & kDnNeedRestart) != 0;
  return s;
}

}  // namespace tav
