// reg delete KEY [/v NAME | /ve | /va] [/f]: a value, all values of a key, or
// the key with everything below it. Without /f it asks first.
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/win_errors.h"
#include "tools/vpc/console.h"
#include "tools/vpc/reg_key_argument.h"
#include "tools/vpc/reg_operations.h"
#include "tools/vpc/switch_options.h"

namespace tav::vpc_tool {

using platform::RegAccess;
using platform::RegistryKey;

namespace {

bool ValidOptions(const SwitchOptions& o) {
  const int targets = (o.Has("v") ? 1 : 0) + (o.Has("ve") ? 1 : 0) + (o.Has("va") ? 1 : 0);
  return o.positional.size() == 1 && targets <= 1 && !(o.Has("reg:32") && o.Has("reg:64"));
}

int Cancelled() {
  PrintLine("The operation was cancelled by the user.");
  return 0;
}

int DeleteKey(const RegKeyArgument& arg, bool force) {
  const size_t slash = arg.path.rfind('\\');
  const std::string parent_path = slash == std::string::npos ? "" : arg.path.substr(0, slash);
  const std::string leaf = slash == std::string::npos ? arg.path : arg.path.substr(slash + 1);
  RegistryKey parent;
  int32_t rc = parent.Open(arg.root, parent_path, RegAccess::kWrite);
  RegistryKey probe;
  if (rc == 0)
    rc = parent.OpenSubKey(leaf, RegAccess::kRead, &probe);
  if (rc != 0)
    return RegFailure(rc);
  if (!force && !Confirm("Permanently delete the registry key " + arg.display))
    return Cancelled();
  rc = parent.DeleteTree(leaf);
  if (rc != 0)
    return RegFailure(rc);
  RegSucceeded();
  return 0;
}

int DeleteAllValues(RegistryKey& key, const RegKeyArgument& arg, bool force) {
  if (!force && !Confirm("Delete all values under the registry key " + arg.display)) {
    return Cancelled();
  }
  std::vector<std::string> names;
  key.EnumValues(&names);
  for (const std::string& name : names) {
    const int32_t rc = key.DeleteValue(name);
    if (rc != 0)
      return RegFailure(rc);
  }
  RegSucceeded();
  return 0;
}

int DeleteOneValue(RegistryKey& key, const std::string& name, bool force) {
  platform::RegValue existing;
  int32_t rc = key.QueryValue(name, &existing);
  if (rc != 0)
    return RegFailure(rc);
  if (!force && !Confirm("Delete the registry value " + (name.empty() ? "(Default)" : name))) {
    return Cancelled();
  }
  rc = key.DeleteValue(name);
  if (rc != 0)
    return RegFailure(rc);
  RegSucceeded();
  return 0;
}

}  // namespace

int RegDelete(const Args& args) {
  SwitchOptions options;
  if (!ParseSwitches(args, {"v"}, {"ve", "va", "f", "reg:32", "reg:64"}, &options) ||
      !ValidOptions(options)) {
    return RegSyntaxError("delete");
  }
  // A root key is never deleted.
  RegKeyArgument arg;
  if (!ParseRegKeyArgument(options.positional[0], false, &arg))
    return RegBadKeyName("delete");
  const bool force = options.Has("f");
  if (!options.Has("v") && !options.Has("ve") && !options.Has("va"))
    return DeleteKey(arg, force);
  RegistryKey key;
  const int32_t rc = key.Open(arg.root, arg.path, RegAccess::kWrite);
  if (rc != 0)
    return RegFailure(rc);
  if (options.Has("va"))
    return DeleteAllValues(key, arg, force);
  return DeleteOneValue(key, options.Value("v"), force);
}

}  // namespace tav::vpc_tool
