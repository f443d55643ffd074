// The process token: enabling privileges, the rights of the user, and the
// reboot request.
#pragma once

#include <cstdint>
#include <string_view>

namespace tav::platform {

// LookupPrivilegeValue: false (kNoSuchPrivilege) for unknown names.
bool LookupPrivilege(std::string_view name, int64_t* luid, int32_t* error = nullptr);

// AdjustTokenPrivileges for one privilege on this process's token. The
// result mirrors the Windows call: false when the call fails; otherwise
// *previous_count is the number of privileges whose state changed (0 when
// the privilege was already enabled or the token does not hold it, in which
// case *error is kNotAllAssigned).
bool EnablePrivilege(int64_t luid, uint32_t* previous_count, int32_t* error = nullptr);

// ExitWindowsEx(EWX_REBOOT) with a reason code.
bool RequestReboot(uint32_t reason, int32_t* error = nullptr);

}  // namespace tav::platform
