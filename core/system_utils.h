// The rights of the program on the system: privileges of its token, the
// administrator test, and the reboot request.
#pragma once

namespace tav {

class XSettings {
 public:
  // Enables the debug, increase-quota and impersonate privileges, each
  // failure logged; an ordinary user's token lacks them.
  static void GetDebugPrivilege();
  // Whether the program may write the machine's software key (computed once).
  static bool IsAdmin();
};

// Asks Windows to restart (shut-down privilege enabled first); false when
// the request was refused.
bool RebootSystem();

}  // namespace tav
