// The database step before a scan, as the result list takes it: ask the
// updater, follow its reports with a progress bar, and say what came of it.
#pragma once

namespace tav::cli {

enum class UpdateOutcome {
  kNotNeeded,   // the database is there and current
  kUpdated,     // a database is in place after an update
  kCancelled,   // Ctrl-C
  kImpossible,  // no database and no update possible
  kFailed,      // the update ended without a database
};

UpdateOutcome RunDatabaseUpdate();

}  // namespace tav::cli
