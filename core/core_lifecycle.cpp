#include "core/core_lifecycle.h"

#include <atomic>

#include "core/build_stamp.h"
#include "core/core_hooks.h"
#include "core/date_time.h"
#include "core/folders.h"
#include "core/format_settings.h"
#include "core/log_engine.h"
#include "core/process_flags.h"
#include "core/system_utils.h"
#include "core/text_utils.h"
#include "platform/file_system.h"
#include "platform/shell_folders.h"

namespace tav {

namespace {

std::atomic<bool> g_core_initialised{false};
CoreHooks g_hooks;

void RunHook(const std::function<void()>& hook) {
  if (hook) hook();
}

}  // namespace

void SetCoreHooks(CoreHooks hooks) { g_hooks = std::move(hooks); }
const CoreHooks& GetCoreHooks() { return g_hooks; }

std::string ProgramLifeLine(std::string_view what) {
  return "-----PROGRAM " + std::string(what) + " " + std::string(kBuildStamp) + " " +
         std::to_string(GetOsCode()) + "_" + BoolToStr(IsWow64()) + " -----";
}

void CoreInit(std::string_view product_name, std::string_view work_override,
              std::string_view drivers_override, bool send_statistics) {
  InitParams(product_name, work_override, drivers_override, send_statistics);
  platform::SetCurrentDirectory(ExtractFilePath(platform::GetModuleFileName()));
  XLog::Init(GetFolders().core_work);
  if (g_core_initialised.exchange(true)) return;

  XLog::Log(ProgramLifeLine("STARTED"), DateTimeToStr(Now(), UserFormatSettings()));
  if (IsWow64() && !platform::FileExists("stub64.exe")) {
    XLog::Error("Driver.CoreInit", "stub64.exe was not found");
  }
  if (!platform::FileExists("7z.dll")) XLog::Error("Driver.CoreInit", "7z.dll was not found");
  RunHook(g_hooks.load_device_api);
  XSettings::GetDebugPrivilege();
  RunHook(g_hooks.after_reboot_check);
  RunHook(g_hooks.resend_install_statistics);
}

void CoreStop() {
  XLog::Log(ProgramLifeLine("STOPPED"), DateTimeToStr(Now(), UserFormatSettings()));
  SetStopping();
  XLog::Stop();
}

}  // namespace tav
