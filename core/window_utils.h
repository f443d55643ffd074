// Window helpers of the user interface. The platform has no window system
// of its own, only the PC's top-level windows (platform/window_messages.h):
// these helpers work on their handles and keep the answers the interface
// relies on. The placement of an existing window is a fixed normal
// rectangle; bringing to front changes nothing; the update lock only keeps
// the nesting count and the locked window.
#pragma once

#include <cstdint>

#include "platform/window_messages.h"

namespace tav {

struct WindowRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

class XWindow {
 public:
  // The window's normal (restored) rectangle; false when it does not exist.
  static bool GetWindowPlacementEvg(platform::WindowHandle window, WindowRect* rect);
  // Whether the window exists; it would be raised above the others.
  static bool BringToFront(platform::WindowHandle window);

  static constexpr WindowRect kNormalRect{100, 100, 900, 700};
};

class XVclUtils {
 public:
  // Nested: the first lock of a window holds its updates until the matching
  // unlock.
  static void LockWindowUpdate(platform::WindowHandle window);
  static void UnlockWindowUpdate();
  static platform::WindowHandle LockedWindow();
  static int LockCount();
};

}  // namespace tav
