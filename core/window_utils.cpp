#include "core/window_utils.h"

#include <mutex>

#include "core/log_engine.h"

namespace tav {

namespace {

std::mutex g_lock_mutex;
int g_lock_count = 0;
platform::WindowHandle g_locked_window = 0;

}  // namespace

bool XWindow::GetWindowPlacementEvg(platform::WindowHandle window, WindowRect* rect) {
  if (!platform::IsWindow(window)) {
    XLog::Log("XWindow.GetWindowPlacementEvg", "GetWindowPlacement fail (no window)");
    return false;
  }
  *rect = kNormalRect;
  return true;
}

bool XWindow::BringToFront(platform::WindowHandle window) {
  return platform::IsWindow(window);
}

void XVclUtils::LockWindowUpdate(platform::WindowHandle window) {
  std::lock_guard<std::mutex> lock(g_lock_mutex);
  ++g_lock_count;
  if (g_locked_window != 0)
    return;
  if (window == 0) {
    XLog::Error("XVclUtils.LockWindowUpdate", "Handle = 0");
    return;
  }
  g_locked_window = window;
}

void XVclUtils::UnlockWindowUpdate() {
  std::lock_guard<std::mutex> lock(g_lock_mutex);
  --g_lock_count;
  if (g_lock_count < 0) {
    XLog::Error("XVclUtils.UnlockWindowUpdate", "FLockCount < 0");
    g_lock_count = 0;  // a stray unlock must not swallow the next lock
  }
  if (g_lock_count > 0)
    return;
  if (g_locked_window == 0) {
    XLog::Error("XVclUtils.UnlockWindowUpdate", "FLockedWindow = 0");
    return;
  }
  g_locked_window = 0;
}

platform::WindowHandle XVclUtils::LockedWindow() {
  std::lock_guard<std::mutex> lock(g_lock_mutex);
  return g_locked_window;
}

int XVclUtils::LockCount() {
  std::lock_guard<std::mutex> lock(g_lock_mutex);
  return g_lock_count;
}

}  // namespace tav
