// The commands of tavrolin-dbtool; each returns the process exit code:
// 0 done, 1 bad input or a failure (said on stderr), 2 bad arguments.
#pragma once

#include <string>
#include <vector>

namespace tav::dbtool {

using Args = std::vector<std::string>;

int RunBuildCommand(const Args& args);
int RunCatalogCommand(const Args& args);
int RunSynthCommand(const Args& args);

// The usage text, on stdout for --help, on stderr with exit code 2 otherwise.
int PrintUsage(bool requested);
// "tavrolin-dbtool: <message>" on stderr; returns code.
int Fail(int code, const std::string& message);

}  // namespace tav::dbtool
