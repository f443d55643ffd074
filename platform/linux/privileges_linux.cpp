// The token of the program on the virtual PC: an administrator's token holds
// the privileges below (disabled until enabled); an ordinary user's token
// holds only the shut-down and change-notify privileges.
#include "platform/privileges.h"

#include <mutex>
#include <set>

#include "platform/linux/virtual_pc.h"
#include "platform/text.h"
#include "platform/win_errors.h"

namespace tav::platform {

namespace {

constexpr std::string_view kKnown[] = {
    "SeCreateTokenPrivilege", "SeAssignPrimaryTokenPrivilege", "SeLockMemoryPrivilege",
    "SeIncreaseQuotaPrivilege", "SeMachineAccountPrivilege", "SeTcbPrivilege",
    "SeSecurityPrivilege", "SeTakeOwnershipPrivilege", "SeLoadDriverPrivilege",
    "SeSystemProfilePrivilege", "SeSystemtimePrivilege", "SeProfileSingleProcessPrivilege",
    "SeIncreaseBasePriorityPrivilege", "SeCreatePagefilePrivilege", "SeCreatePermanentPrivilege",
    "SeBackupPrivilege", "SeRestorePrivilege", "SeShutdownPrivilege", "SeDebugPrivilege",
    "SeAuditPrivilege", "SeSystemEnvironmentPrivilege", "SeChangeNotifyPrivilege",
    "SeRemoteShutdownPrivilege", "SeUndockPrivilege", "SeSyncAgentPrivilege",
    "SeEnableDelegationPrivilege", "SeManageVolumePrivilege", "SeImpersonatePrivilege",
    "SeCreateGlobalPrivilege"};

std::mutex g_mutex;
std::set<int64_t> g_enabled;

bool TokenHolds(int64_t luid) {
  if (vpc::VirtualPc::Current().facts().is_admin) return true;
  const std::string_view name = kKnown[luid - 2];
  return name == "SeShutdownPrivilege" || name == "SeChangeNotifyPrivilege" ||
         name == "SeUndockPrivilege";
}

}  // namespace

bool LookupPrivilege(std::string_view name, int64_t* luid, int32_t* error) {
  for (size_t i = 0; i < std::size(kKnown); ++i) {
    if (EqualsIgnoreCase(kKnown[i], name)) {
      *luid = static_cast<int64_t>(i) + 2;  // LUIDs of privileges start at 2
      return true;
    }
  }
  if (error) *error = win_error::kNoSuchPrivilege;
  return false;
}

bool EnablePrivilege(int64_t luid, uint32_t* previous_count, int32_t* error) {
  *previous_count = 0;
  if (luid < 2 || luid >= static_cast<int64_t>(std::size(kKnown)) + 2) {
    if (error) *error = win_error::kNoSuchPrivilege;
    return false;
  }
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!TokenHolds(luid)) {
    if (error) *error = win_error::kNotAllAssigned;
    return true;
  }
  if (g_enabled.insert(luid).second) *previous_count = 1;
  if (error) *error = win_error::kSuccess;
  return true;
}

bool RequestReboot(uint32_t reason, int32_t* error) {
  int64_t luid = 0;
  LookupPrivilege("SeShutdownPrivilege", &luid);
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_enabled.count(luid)) {
      if (error) *error = win_error::kPrivilegeNotHeld;
      return false;
    }
  }
  // The PC reboots when its tool says so ("tavrolin-vpc reboot"); the
  // request is kept until then.
  vpc::VirtualPc::Current().SetState("reboot_requested", std::to_string(reason));
  return true;
}

}  // namespace tav::platform
