#include "drivers/device_entry.h"

#include "core/log_engine.h"
#include "platform/device_manager.h"

namespace tav {

// On Windows the index is one into the system's class image list; the PC
// keeps each class's image index in its class key, and the pictures
// themselves come with the user interface.
int32_t TDeviceEntry::GetIcon() {
  if (ImageIndex >= 0)
    return ImageIndex;
  int index = 0;
  int32_t error = 0;
  const std::string guid = GuidToString(ClassGUID);
  if (!platform::GetClassImageIndex(guid, &index, &error)) {
    XLog::Error("TDeviceEntry.GetIcon", "SetupDiGetClassImageIndex fail", error, guid);
    return 0;
  }
  ImageIndex = index;
  return ImageIndex;
}

}  // namespace tav
