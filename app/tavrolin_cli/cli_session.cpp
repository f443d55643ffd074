#include "app/tavrolin_cli/cli_session.h"

#include <csignal>
#include <utility>

#include "core/core_hooks.h"
#include "core/core_lifecycle.h"
#include "core/folders.h"
#include "core/main_thread.h"
#include "core/settings.h"
#include "net/form_upload.h"
#include "net/report_hooks.h"
#include "net/service_hosts.h"
#include "net/upload_thread.h"
#include "platform/message_loop.h"

namespace tav::cli {

namespace {

std::atomic<bool> g_interrupted{false};

void OnSignal(int) {
  g_interrupted = true;
  platform::WakeMessageLoop();
}

}  // namespace

CliSession::CliSession() {
  MainThread::Init();
  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
  CoreHooks hooks;
  ConnectReports(&hooks);
  SetCoreHooks(std::move(hooks));
  LoadProductValues();
  LoadServiceHosts();
  ResolveFixedFolders();
  CoreInit(kProductName, GetFolders().work, GetFolders().download, false);
  RunStartupSettingsStep();
}

// A report still on its way may finish before the process ends: its waits
// are bounded, and it must not outlive what it uses.
CliSession::~CliSession() {
  WaitForUploadThreads(kReportWaitMs);
  CoreStop();
}

bool CliSession::Interrupted() {
  return g_interrupted;
}

std::string CliSession::LogPath() const {
  return GetFolders().core_work + "program.log";
}

}  // namespace tav::cli
