// tavrolin-cli scan [--min-seconds N]: the scan with a progress line; Ctrl-C
// cancels it. Prints the outdated drivers found.
#include <cstdio>
#include <string>

#include "app/tavrolin_cli/cli_session.h"
#include "app/tavrolin_cli/commands.h"
#include "app/tavrolin_cli/database_update_step.h"
#include "app/tavrolin_cli/outdated_table.h"
#include "core/main_thread.h"
#include "core/text_utils.h"
#include "matching/generate_job.h"

namespace tav::cli {

int RunScanCommand(const Arguments& args) {
  int min_seconds = 0;
  for (size_t i = 0; i < args.size(); ++i) {
    int64_t value = 0;
    if (args[i] == "--min-seconds" && i + 1 < args.size() && TryStrToInt(args[i + 1], &value) &&
        value >= 0) {
      min_seconds = static_cast<int>(value);
      ++i;
    } else {
      std::fprintf(stderr, "usage: tavrolin-cli scan [--min-seconds N]\n");
      return 2;
    }
  }
  CliSession session;
  // As the result list does: the database first, when the updater says so.
  switch (RunDatabaseUpdate()) {
    case UpdateOutcome::kImpossible:
    case UpdateOutcome::kFailed:
      std::fprintf(stderr, "Update impossible!\nSee the log: %s\n", session.LogPath().c_str());
      return 1;
    case UpdateOutcome::kCancelled:
      std::printf("Update cancelled.\n");
      return 130;
    default: break;
  }
  int final_code = -1;
  int found = 0;
  GetDriverResult(min_seconds, [&](int code, const std::string& text, bool* cancel, int total,
                                   int found_so_far, int processed) {
    if (code == kScanDevice) {
      std::fprintf(stderr, "\r\033[K[%d/%d] outdated: %d  %.60s", processed, total, found_so_far,
                   text.c_str());
      std::fflush(stderr);
      if (CliSession::Interrupted()) *cancel = true;
    } else if (code != kScanStarting) {
      final_code = code;
      found = found_so_far;
      std::fprintf(stderr, "\r\033[K");
    }
  });
  MainThread::RunLoop([&] { return final_code >= 0; }, 50);
  WaitForGenerateThread(30000);
  switch (final_code) {
    case kScanEnded:
      std::printf("Scan finished: %d outdated driver(s).\n", found);
      PrintOutdatedDrivers();
      return 0;
    case kScanCancelled:
      std::printf("Scan cancelled: %d outdated driver(s) found so far.\n", found);
      PrintOutdatedDrivers();
      return 130;
    default:
      std::fprintf(stderr,
                   "The scan failed: no driver database, or the device list could not be made.\n"
                   "See the log: %s\n",
                   session.LogPath().c_str());
      return 1;
  }
}

}  // namespace tav::cli
