#include "tools/vpc/switch_options.h"

#include "platform/text.h"
#include "tools/vpc/switches.h"

namespace tav::vpc_tool {

bool ParseSwitches(const Args& args,
                   const std::set<std::string>& with_argument,
                   const std::set<std::string>& flags,
                   SwitchOptions* out,
                   std::string* bad_argument) {
  for (size_t i = 0; i < args.size(); ++i) {
    if (!IsSwitch(args[i])) {
      out->positional.push_back(args[i]);
      continue;
    }
    const std::string name = ToLowerAscii(args[i].substr(1));
    const bool takes_argument = with_argument.count(name) > 0;
    if (out->Has(name) || (!takes_argument && !flags.count(name)) ||
        (takes_argument && i + 1 >= args.size())) {
      if (bad_argument)
        *bad_argument = args[i];
      return false;
    }
    if (takes_argument) {
      out->values[name] = args[++i];
    } else {
      out->flags.insert(name);
    }
  }
  return true;
}

}  // namespace tav::vpc_tool
