// Tavrolin: keeps a PC's device drivers current.
#include <string>
#include <utility>
#include <vector>

#include "app/tavrolin/headless_main_window.h"
#include "core/core_hooks.h"
#include "core/main_thread.h"
#include "core/program_entry.h"
#include "net/form_upload.h"
#include "net/report_hooks.h"
#include "net/service_hosts.h"
#include "net/upload_thread.h"

int main(int argc, char** argv) {
  tav::MainThread::Init();
  tav::CoreHooks hooks;
  tav::ConnectReports(&hooks);
  tav::SetCoreHooks(std::move(hooks));
  tav::LoadServiceHosts();
  std::vector<std::string> arguments(argv + 1, argv + argc);
  const int code = tav::ProgramMain(arguments, tav::RunHeadlessMainWindow);
  // A report still on its way must not outlive what it uses; its waits are bounded.
  tav::WaitForUploadThreads(tav::kReportWaitMs);
  return code;
}
