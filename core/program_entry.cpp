#include "core/program_entry.h"

#include <exception>

#include "core/core_lifecycle.h"
#include "core/folders.h"
#include "core/log_engine.h"
#include "core/process_flags.h"
#include "core/settings.h"
#include "core/shortcut_repair.h"
#include "core/uninstall_cleanup.h"
#include "platform/shell_folders.h"

namespace tav {

namespace {

std::string ExceptionText(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "unknown exception";
  }
}

}  // namespace

void RunCheckInstallMode() {
  try {
    ResolveFixedFolders();
    CoreInit(kProductName, GetFolders().work, GetFolders().download, false);
  } catch (...) {
    XLog::Error("Start with /CHECKINSTALL", "Common error: " + ExceptionText(std::current_exception()));
  }
  CoreStop();
}

void RunInstallMode() {
  try {
    ResolveFixedFolders();
    RepairHomePageShortcut(GetFolders().program, platform::GetModuleFileName());
  } catch (...) {
    XLog::Error("Start with /INSTALL", "Common error: " + ExceptionText(std::current_exception()));
  }
}

int ProgramMain(const std::vector<std::string>& arguments, const MainWindowRunner& run_main_window) {
  LoadProductValues();
  const std::string first = arguments.empty() ? std::string() : arguments[0];
  if (first == "/uninstall") {
    SetStartMode(StartMode::kUninstall);
    RunUninstallMode();
  } else if (first == "/CHECKINSTALL") {
    SetStartMode(StartMode::kCheckInstall);
    RunCheckInstallMode();
  } else if (first == "/INSTALL") {
    SetStartMode(StartMode::kInstall);
    RunInstallMode();
  } else {
    SetStartMode(StartMode::kWindowed);
    RunWindowedMode(first, run_main_window);
  }
  return 0;
}

}  // namespace tav
