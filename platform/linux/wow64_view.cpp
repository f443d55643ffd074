#include "platform/linux/wow64_view.h"

#include <atomic>
#include <cstdlib>

#include "platform/linux/virtual_pc.h"
#include "platform/text.h"

namespace tav::platform::vpc {

namespace {

std::atomic<bool> g_native{false};
thread_local bool t_redirection_disabled = false;

// Folders below System32 that WOW64 leaves alone.
constexpr std::string_view kExempt[] = {"CATROOT", "CATROOT2", "DRIVERSTORE", "DRIVERS\\ETC",
                                        "LOGFILES", "SPOOL"};

}  // namespace

bool ProcessUnderWow64() {
  if (g_native.load()) return false;
  if (const char* env = std::getenv("TAVROLIN_NATIVE_PROCESS"); env && *env == '1') return false;
  return VirtualPc::Current().facts().is_64bit;
}

void SetProcessIsNative() { g_native = true; }

bool RedirectionDisabled() { return t_redirection_disabled; }
void SetRedirectionDisabled(bool disabled) { t_redirection_disabled = disabled; }

std::string ApplyRedirection(std::string_view path) {
  std::string result(path);
  if (t_redirection_disabled || !ProcessUnderWow64()) return result;
  const std::string windows = VirtualPc::Current().facts().windows_dir;
  if (!StartsWithIgnoreCase(path, windows) || path.size() <= windows.size() ||
      path[windows.size()] != '\\') {
    return result;
  }
  const std::string_view rest = path.substr(windows.size() + 1);
  auto component_is = [&](std::string_view name) {
    return StartsWithIgnoreCase(rest, name) && (rest.size() == name.size() || rest[name.size()] == '\\');
  };
  if (component_is("Sysnative")) {
    return windows + "\\System32" + std::string(rest.substr(9));
  }
  if (!component_is("System32")) return result;
  const std::string_view below = rest.size() > 9 ? rest.substr(9) : std::string_view();
  for (std::string_view exempt : kExempt) {
    if (StartsWithIgnoreCase(below, exempt) &&
        (below.size() == exempt.size() || below[exempt.size()] == '\\')) {
      return result;
    }
  }
  return windows + "\\SysWOW64" + std::string(rest.substr(8));
}

}  // namespace tav::platform::vpc
