// What every command of the command-line tool does around its job: the
// program's folders, the core start (log, privileges) and stop, Ctrl-C.
#pragma once

#include <atomic>
#include <string>

namespace tav::cli {

class CliSession {
 public:
  CliSession();
  ~CliSession();
  CliSession(const CliSession&) = delete;
  CliSession& operator=(const CliSession&) = delete;

  // Set by Ctrl-C or a termination signal.
  static bool Interrupted();
  // Where the program's log is, as a Windows path.
  std::string LogPath() const;
};

}  // namespace tav::cli
