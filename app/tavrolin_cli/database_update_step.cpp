#include "app/tavrolin_cli/database_update_step.h"

#include <cstdio>

#include "app/tavrolin_cli/cli_session.h"
#include "core/main_thread.h"
#include "net/database_updater.h"

namespace tav::cli {

namespace {

void DrawBar(int32_t position, int32_t total) {
  if (total <= 0) {
    std::fprintf(stderr, "\r\033[KDownloading the driver database... %d KB", position / 1024);
  } else {
    const int width = 40;
    const int filled = static_cast<int>(static_cast<int64_t>(position) * width / total);
    std::fprintf(stderr, "\r\033[KDriver database [%s%s] %3d%%", std::string(filled, '#').c_str(),
                 std::string(width - filled, '.').c_str(),
                 static_cast<int>(static_cast<int64_t>(position) * 100 / total));
  }
  std::fflush(stderr);
}

}  // namespace

UpdateOutcome RunDatabaseUpdate() {
  bool exists = false;
  int final_code = -1;
  const bool started = UpdateDriverBases(&exists, [&](int code, int32_t position, int32_t total, bool* cancel) {
    if (CliSession::Interrupted()) *cancel = true;
    if (code == kUpdateProgress) {
      DrawBar(position, total);
    } else if (code == kUpdateVerified) {
      std::fprintf(stderr, "\r\033[KUnpacking and installing the driver database...");
    } else {
      final_code = code;
      std::fprintf(stderr, "\r\033[K");
    }
  });
  if (!started) {
    if (final_code == kUpdateCancelled) return UpdateOutcome::kCancelled;
    return exists ? UpdateOutcome::kNotNeeded : UpdateOutcome::kImpossible;
  }
  MainThread::RunLoop([&] { return final_code >= 0; }, 50);
  WaitForUpdateThread(30000);
  switch (final_code) {
    case kUpdateFinished: return UpdateOutcome::kUpdated;
    case kUpdateCancelled: return UpdateOutcome::kCancelled;
    default: return UpdateOutcome::kFailed;
  }
}

}  // namespace tav::cli
