// The commands of tavrolin-cli; each returns the process exit code.
#pragma once

#include <string>
#include <vector>

namespace tav::cli {

using Arguments = std::vector<std::string>;

int RunDevicesCommand(const Arguments& args);
int RunDownloadCommand(const Arguments& args);
int RunListCommand(const Arguments& args);
int RunScanCommand(const Arguments& args);
int RunUpdateCommand(const Arguments& args);

}  // namespace tav::cli
