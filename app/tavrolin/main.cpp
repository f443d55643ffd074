// Tavrolin: keeps a PC's device drivers current.
#include <string>
#include <utility>
#include <vector>

#include "app/tavrolin/headless_main_window.h"
#include "core/core_hooks.h"
#include "core/main_thread.h"
#include "core/program_entry.h"
#include "net/report_hooks.h"
#include "net/service_hosts.h"

int main(int argc, char** argv) {
  tav::MainThread::Init();
  tav::CoreHooks hooks;
  tav::ConnectReports(&hooks);
  tav::SetCoreHooks(std::move(hooks));
  tav::LoadServiceHosts();
  std::vector<std::string> arguments(argv + 1, argv + argc);
  return tav::ProgramMain(arguments, tav::RunHeadlessMainWindow);
}
