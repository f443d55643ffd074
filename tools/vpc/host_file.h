// Whole files read and written for the tool: host paths, or paths on the
// virtual PC for the PC's own programs.
#pragma once

#include <string>
#include <string_view>

#include "tools/vpc/commands.h"

namespace tav::vpc_tool {

// The host path a file argument names; empty when a PC path cannot be mapped.
std::string HostPathOf(std::string_view argument, FileSide side);

bool HostFileExists(const std::string& host_path);
bool ReadHostFile(const std::string& host_path, std::string* bytes);
bool WriteHostFile(const std::string& host_path, std::string_view bytes);

}  // namespace tav::vpc_tool
