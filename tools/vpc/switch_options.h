// The switches of a Windows command-line program ("/v Name /t REG_SZ /f"),
// parsed the strict way reg.exe and schtasks.exe do: a switch given twice,
// one without its argument or an unknown one makes the line invalid.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "tools/vpc/commands.h"

namespace tav::vpc_tool {

struct SwitchOptions {
  std::vector<std::string> positional;
  std::map<std::string, std::string> values;  // switch name (lower case) → its argument
  std::set<std::string> flags;

  bool Has(const std::string& name) const { return values.count(name) || flags.count(name); }
  std::string Value(const std::string& name) const {
    auto it = values.find(name);
    return it == values.end() ? std::string() : it->second;
  }
};

// with_argument and flags hold lower-case names without the "/". On failure
// *bad_argument (when given) is the argument that made the line invalid.
bool ParseSwitches(const Args& args,
                   const std::set<std::string>& with_argument,
                   const std::set<std::string>& flags,
                   SwitchOptions* out,
                   std::string* bad_argument = nullptr);

}  // namespace tav::vpc_tool
