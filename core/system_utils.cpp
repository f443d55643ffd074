#include "core/system_utils.h"

#include <cstdint>
#include <string>

#include "core/log_engine.h"
#include "platform/privileges.h"
#include "platform/registry.h"
#include "platform/win_errors.h"

namespace tav {

namespace {

constexpr const char* kRoutine = "XSettings.GetDebugPrivilege";
// The reason the program has always given: planned maintenance.
constexpr uint32_t kRebootReason = 1;

struct WantedPrivilege {
  const char* name;
  const char* lookup_failure;
  const char* step;  // numbers the AdjustTokenPrivileges lines
};

constexpr WantedPrivilege kDebugPrivileges[] = {
    {"SeDebugPrivilege", "LookupPrivilegeValue fail", "1"},
    {"SeIncreaseQuotaPrivilege", "LookupPrivilegeValue 2 fail", "2"},
    {"SeImpersonatePrivilege", "LookupPrivilegeValue 3 fail", "3"},
};

void EnableLogged(const WantedPrivilege& wanted) {
  int64_t luid = 0;
  int32_t error = 0;
  if (!platform::LookupPrivilege(wanted.name, &luid, &error)) {
    XLog::Error(kRoutine, wanted.lookup_failure, error);
    return;
  }
  uint32_t previous_count = 0;
  const std::string step = wanted.step;
  if (!platform::EnablePrivilege(luid, &previous_count, &error)) {
    XLog::Error(kRoutine, "AdjustTokenPrivileges " + step + ".1 fail", error);
  } else if (previous_count == 0) {
    XLog::Error(kRoutine, "AdjustTokenPrivileges " + step + ".2 fail", error);
  }
}

}  // namespace

void XSettings::GetDebugPrivilege() {
  for (const WantedPrivilege& wanted : kDebugPrivileges)
    EnableLogged(wanted);
}

bool XSettings::IsAdmin() {
  static const bool admin = [] {
    platform::RegistryKey key;
    if (key.Open(platform::RegRoot::kLocalMachine, "software\\microsoft",
                 platform::RegAccess::kAll) == win_error::kSuccess) {
      return true;
    }
    return key.Create(platform::RegRoot::kLocalMachine, "software\\microsoft") ==
           win_error::kSuccess;
  }();
  return admin;
}

bool RebootSystem() {
  int64_t luid = 0;
  int32_t error = 0;
  if (!platform::LookupPrivilege("SeShutdownPrivilege", &luid, &error)) {
    XLog::Error("RebootSystem", "LookupPrivilegeValue fail", error);
    return false;
  }
  uint32_t previous_count = 0;
  platform::EnablePrivilege(luid, &previous_count, &error);
  if (!platform::RequestReboot(kRebootReason, &error)) {
    XLog::Error("RebootSystem", "ExitWindowsEx fail", error);
    return false;
  }
  return true;
}

}  // namespace tav
