// Runs the project's programs (tavrolin-dbtool, tavrolin-cli) as processes,
// found in TAVROLIN_TOOLS, with their output and exit code kept.
#pragma once

#include <string>
#include <vector>

namespace tav::testing {

struct ProgramResult {
  int exit_code = -1;
  std::string out;
  std::string err;
};

// machine: TAVROLIN_MACHINE for the program; empty leaves it unset.
ProgramResult RunProgram(const std::string& program,
                         const std::vector<std::string>& args,
                         const std::string& machine = {});
inline ProgramResult RunDbtool(const std::vector<std::string>& args) {
  return RunProgram("tavrolin-dbtool", args);
}

// A host file's bytes ("" when missing) and writing one (folders created).
std::string ReadHost(const std::string& path);
void WriteHost(const std::string& path, const std::string& bytes);

}  // namespace tav::testing
