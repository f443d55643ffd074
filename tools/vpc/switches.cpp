#include "tools/vpc/switches.h"

#include "platform/text.h"

namespace tav::vpc_tool {

// A switch never holds a second "/"; "/tmp/x.reg" is a host file of the tool.
bool IsSwitch(std::string_view arg) {
  return arg.size() >= 2 && (arg[0] == '/' || arg[0] == '-') &&
         arg.find('/', 1) == std::string_view::npos;
}

bool IsSwitch(std::string_view arg, std::string_view name) {
  return IsSwitch(arg) && EqualsIgnoreCase(arg.substr(1), name);
}

}  // namespace tav::vpc_tool
