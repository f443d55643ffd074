// Runs tavrolin-vpc as the developers and the PC run it: a real process,
// found in TAVROLIN_TOOLS, with its output and exit code kept.
#pragma once

#include <string>
#include <vector>

namespace tav::testing {

struct ToolResult {
  int exit_code = -1;
  std::string out;
  std::string err;
};

struct ToolOptions {
  std::string machine;  // TAVROLIN_MACHINE for the tool; empty leaves it unset
  std::string input;    // what the tool reads on stdin
};

inline ToolOptions OnMachine(std::string root) {
  ToolOptions options;
  options.machine = std::move(root);
  return options;
}
inline ToolOptions WithInput(std::string input) {
  ToolOptions options;
  options.input = std::move(input);
  return options;
}

// The folder of the built programs (TAVROLIN_TOOLS).
std::string ToolsFolder();
std::string ToolPath();
ToolResult RunTool(const std::vector<std::string>& args, const ToolOptions& options = {});
// Another program of that folder, such as tavrolin-cli.
ToolResult RunProgram(const std::string& name,
                      const std::vector<std::string>& args,
                      const ToolOptions& options = {});

}  // namespace tav::testing
