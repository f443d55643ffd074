#include "app/tavrolin_cli/cli_session.h"

#include <csignal>

#include "core/core_lifecycle.h"
#include "core/folders.h"
#include "core/main_thread.h"
#include "core/settings.h"
#include "net/service_hosts.h"
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
  LoadProductValues();
  LoadServiceHosts();
  ResolveFixedFolders();
  CoreInit(kProductName, GetFolders().work, GetFolders().download, false);
  RunStartupSettingsStep();
}

CliSession::~CliSession() { CoreStop(); }

bool CliSession::Interrupted() { return g_interrupted; }

std::string CliSession::LogPath() const { return GetFolders().core_work + "program.log"; }

}  // namespace tav::cli
