// reg add KEY [/v NAME | /ve] [/t TYPE] [/s SEPARATOR] [/d DATA] [/f]. Without
// /v the default value is written (an empty REG_SZ when no data is given),
// as reg.exe does.
#include <string>

#include "platform/registry.h"
#include "platform/win_errors.h"
#include "tools/vpc/console.h"
#include "tools/vpc/reg_data.h"
#include "tools/vpc/reg_key_argument.h"
#include "tools/vpc/reg_operations.h"
#include "tools/vpc/switch_options.h"

namespace tav::vpc_tool {

using platform::RegistryKey;
using platform::RegType;
using platform::RegValue;

namespace {

bool ValidOptions(const SwitchOptions& o) {
  return o.positional.size() == 1 && !(o.Has("v") && o.Has("ve")) &&
         !(o.Has("reg:32") && o.Has("reg:64")) && (!o.Has("s") || o.Value("s").size() == 1);
}

// Asks before an existing value is replaced, unless /f.
bool MayOverwrite(const RegistryKey& key, bool created, const std::string& name, bool force) {
  RegValue existing;
  if (force || created || key.QueryValue(name, &existing) != 0)
    return true;
  return Confirm("Value " + (name.empty() ? std::string("(Default)") : name) + " exists, overwrite",
                 "(Yes/No)");
}

}  // namespace

int RegAdd(const Args& args) {
  SwitchOptions options;
  // /reg:32 and /reg:64 are taken and change nothing: the PC's registry has one view.
  if (!ParseSwitches(args, {"v", "t", "d", "s"}, {"ve", "f", "reg:32", "reg:64"}, &options) ||
      !ValidOptions(options)) {
    return RegSyntaxError("add");
  }
  RegKeyArgument arg;
  if (!ParseRegKeyArgument(options.positional[0], false, &arg))
    return RegBadKeyName("add");
  RegType type = RegType::kSz;
  if (options.Has("t") && !ParseRegType(options.Value("t"), &type)) {
    PrintErrorLine("ERROR: Invalid syntax. Unsupported registry data type [" + options.Value("t") +
                   "].");
    return 1;
  }
  // A number cannot be left out.
  if ((type == RegType::kDword || type == RegType::kQword) && !options.Has("d")) {
    return RegSyntaxError("add");
  }
  RegValue value;
  std::string error;
  const char separator = options.Has("s") ? options.Value("s")[0] : '\0';
  if (!ParseRegData(type, options.Value("d"), separator, &value, &error)) {
    PrintErrorLine(error);
    return 1;
  }
  RegistryKey key;
  bool created = false;
  int32_t rc = key.Create(arg.root, arg.path, &created);
  if (rc != 0)
    return RegFailure(rc);
  const std::string name = options.Value("v");
  if (!MayOverwrite(key, created, name, options.Has("f"))) {
    PrintLine("The operation was cancelled by the user.");
    return 0;
  }
  rc = key.SetValue(name, value);
  if (rc != 0)
    return RegFailure(rc);
  RegSucceeded();
  return 0;
}

}  // namespace tav::vpc_tool
