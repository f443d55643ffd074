// Runs the project's programs (tavrolin-dbtool, tavrolin-cli) as processes,
// found in TAVROLIN_TOOLS, with their output and exit code kept.
#pragma once

#include <string>
#include <vector>

#include "tests/tools/tool_run.h"

namespace tav::testing {

using ProgramResult = ToolResult;

// machine: TAVROLIN_MACHINE for the program; empty leaves it unset.
inline ProgramResult RunProgram(const std::string& program,
                                const std::vector<std::string>& args,
                                const std::string& machine) {
  return RunProgram(program, args, OnMachine(machine));
}
inline ProgramResult RunDbtool(const std::vector<std::string>& args) {
  return RunProgram("tavrolin-dbtool", args, ToolOptions{});
}

// A host file's bytes ("" when missing) and writing one (folders created).
std::string ReadHost(const std::string& path);
void WriteHost(const std::string& path, const std::string& bytes);

}  // namespace tav::testing
