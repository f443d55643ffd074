// tavrolin-cli update: the database updater with a progress bar.
#include <cstdio>

#include "app/tavrolin_cli/cli_session.h"
#include "app/tavrolin_cli/commands.h"
#include "app/tavrolin_cli/database_update_step.h"

namespace tav::cli {

int RunUpdateCommand(const Arguments& args) {
  if (!args.empty()) {
    std::fprintf(stderr, "usage: tavrolin-cli update\n");
    return 2;
  }
  CliSession session;
  switch (RunDatabaseUpdate()) {
    case UpdateOutcome::kNotNeeded:
      std::printf("The driver database is up to date.\n");
      return 0;
    case UpdateOutcome::kUpdated:
      std::printf("The driver database is in place.\n");
      return 0;
    case UpdateOutcome::kCancelled:
      std::printf("Update cancelled.\n");
      return 130;
    case UpdateOutcome::kImpossible:
      std::fprintf(stderr, "Update impossible!\nSee the log: %s\n", session.LogPath().c_str());
      return 1;
    case UpdateOutcome::kFailed:
      std::fprintf(stderr, "The update failed.\nSee the log: %s\n", session.LogPath().c_str());
      return 1;
  }
  return 1;
}

}  // namespace tav::cli
