// Options of the Windows command-line programs: "/name" or "-name", without
// regard to letter case. An argument with a second "/" is a path, not a switch.
#pragma once

#include <string>
#include <string_view>

namespace tav::vpc_tool {

bool IsSwitch(std::string_view arg);
// True when arg is the switch of that name ("v" matches "/v", "/V", "-v").
bool IsSwitch(std::string_view arg, std::string_view name);

}  // namespace tav::vpc_tool
