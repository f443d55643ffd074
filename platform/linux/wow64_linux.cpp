#include "platform/wow64.h"

#include "platform/linux/wow64_view.h"

namespace tav::platform {

bool DisableWow64FsRedirection(void** old_value) {
  *old_value = reinterpret_cast<void*>(vpc::RedirectionDisabled() ? 1 : 0);
  vpc::SetRedirectionDisabled(true);
  return true;
}

bool RevertWow64FsRedirection(void* old_value) {
  vpc::SetRedirectionDisabled(old_value != nullptr);
  return true;
}

}  // namespace tav::platform
