#include "core/windowed_mode.h"

#include "core/core_hooks.h"
#include "core/core_lifecycle.h"
#include "core/crash_reporter.h"
#include "core/file_utils.h"
#include "core/folders.h"
#include "core/inter_process_names.h"
#include "core/log_engine.h"
#include "core/settings.h"
#include "core/text_utils.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/named_mutex.h"
#include "platform/process.h"
#include "platform/window_messages.h"

namespace tav {

namespace {

std::string g_start_switch;

uint32_t Register(const RegisteredMessage& m) { return platform::RegisterWindowMessage(m.name); }

void StartTrayProgramIfNeeded() {
  if (platform::FindWindow("", kTrayWindowTitle) != 0) return;
  const std::string tray = GetFolders().program + std::string(kTrayProgram);
  if (platform::FileExists(tray)) {
    platform::ShellExecute("open", tray, "", GetFolders().program, platform::ShowWindow::kNormal);
  }
}

}  // namespace

const std::string& StartSwitch() { return g_start_switch; }
void SetStartSwitch(std::string_view value) { g_start_switch = value; }

MainWindowMessages MainWindowCreationSteps() {
  MainWindowMessages messages;
  messages.restore = Register(kMsgRestore);
  messages.uninstall = Register(kMsgUninstall);
  messages.tray_refresh = Register(kMsgTrayRefresh);
  messages.tray_close = Register(kMsgTrayClose);
  messages.start = Register(kMsgStart);
  ResolveFixedFolders();
  CoreInit(kProductName, GetFolders().work, GetFolders().download, false);
  ConfigureCrashReporting();
  RunStartupSettingsStep();
  const RunningSettings& s = GetRunningSettings();
  if (s.s_enable || s.s_smart_scan || s.start_with_windows) {
    if (const auto& hook = GetCoreHooks().register_startup_task) hook();
  }
  if (s.s_enable) StartTrayProgramIfNeeded();
  if (s.start_with_windows) SetStartSwitch("/START");
  return messages;
}

void MainWindowDestroySteps() {
  XLog::Log("TForm1a.FormDestroy", "begin");
  const std::string scratch = GetFolders().work + "SetupFiles.txt";
  if (platform::FileExists(scratch)) XFile::DeleteFile(scratch);
  CoreStop();
}

void RunWindowedMode(std::string_view first_argument, const MainWindowRunner& run_main_window) {
  SetStartSwitch(ToUpperAscii(Trim(first_argument)));
  if (platform::NamedMutex::Exists(kInstanceMutex)) {
    const platform::WindowHandle running = platform::FindWindow("", kMainWindowTitle);
    if (running == 0) return;
    platform::PostMessage(running, Register(kMsgRestore), kMsgRestore.wparam, 0);
    platform::Sleep(500);
    if (StartSwitch() == "/START") {
      platform::PostMessage(running, Register(kMsgStart), kMsgStart.wparam, 0);
    }
    return;
  }
  // Held until the process ends.
  static platform::NamedMutex instance;
  instance.Create(kInstanceMutex);
  platform::BroadcastMessage(Register(kMsgInstalledBroadcast), kMsgInstalledBroadcast.wparam, 0);
  const uint32_t installed = Register(kMsgInstalled);
  for (std::string_view title : kCompanionTitles) {
    if (const platform::WindowHandle w = platform::FindWindow("", title)) {
      platform::PostMessage(w, installed, kMsgInstalled.wparam, 0);
    }
  }
  run_main_window();
}

}  // namespace tav
