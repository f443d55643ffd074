#include "app/tavrolin/headless_main_window.h"

#include <csignal>
#include <cstdio>

#include <atomic>

#include "core/inter_process_names.h"
#include "core/log_engine.h"
#include "core/main_thread.h"
#include "core/process_flags.h"
#include "core/windowed_mode.h"
#include "net/install_ping.h"
#include "platform/message_loop.h"
#include "platform/window_messages.h"

namespace tav {

namespace {

std::atomic<bool> g_close_requested{false};

void OnSignal(int) {
  g_close_requested = true;
  platform::WakeMessageLoop();
}

}  // namespace

void RunHeadlessMainWindow() {
  const MainWindowMessages messages = MainWindowCreationSteps();
  platform::MessageWindow window;
  bool closed = false;
  window.Create("TForm1a", kMainWindowTitle, [&](uint32_t message, uint64_t, int64_t) {
    if (message == messages.uninstall) {
      XLog::Log("TForm1a.WndProc", "Uninstall message: closing");
      closed = true;
    } else if (message == messages.restore) {
      XLog::Log("TForm1a.WndProc", "Restore message");
    } else if (message == messages.start) {
      XLog::Log("TForm1a.WndProc", "Start message");
    }
  });
  // The window's start-up ends with the install ping, on this thread.
  SendInstallStat();
  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
  std::fprintf(stderr,
               "Tavrolin is running without its window (this build has no user interface yet).\n"
               "Ctrl-C or \"tavrolin /uninstall\" closes it.\n");
  MainThread::RunLoop([&] { return closed || g_close_requested.load(); }, 200);
  window.Destroy();
  MainWindowDestroySteps();
  SetApplicationTerminated();
}

}  // namespace tav
