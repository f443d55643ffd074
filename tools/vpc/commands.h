// The subcommands of tavrolin-vpc. Each takes the arguments after its name
// and returns the process's exit code.
#pragma once

#include <string>
#include <vector>

namespace tav::vpc_tool {

using Args = std::vector<std::string>;

// Where the file arguments of reg and regedit live: on the host for a
// developer's command, on the virtual PC for the PC's own reg.exe.
enum class FileSide { kHost, kMachine };

int RunCreate(const Args& args);
int RunPath(const Args& args);
int RunReg(const Args& args, FileSide files);
int RunRegedit(const Args& args);
int RunSchtasks(const Args& args);
int RunBuiltin(const Args& args);
int RunDevice(const Args& args);
int RunImportHost(const Args& args);

// Arguments the tool itself does not understand.
inline constexpr int kUsageExit = 2;
void PrintUsage(bool to_stderr);
int UsageError(const std::string& message);

}  // namespace tav::vpc_tool
