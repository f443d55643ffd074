// reg query KEY [/v NAME | /ve] [/s]. The layout is reg.exe's: a blank line,
// then for each key with values its name, its values indented by four blanks
// and a blank line; without /s the sub-keys follow as full names.
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/text.h"
#include "platform/win_errors.h"
#include "tools/vpc/console.h"
#include "tools/vpc/reg_data.h"
#include "tools/vpc/reg_key_argument.h"
#include "tools/vpc/reg_operations.h"
#include "tools/vpc/switch_options.h"

namespace tav::vpc_tool {

using platform::RegAccess;
using platform::RegistryKey;
using platform::RegType;
using platform::RegValue;

namespace {

void PrintValue(const std::string& name, const RegValue& value) {
  PrintLine("    " + (name.empty() ? std::string("(Default)") : name) + "    " +
            platform::RegTypeName(value.type) + "    " + FormatRegData(value));
}

// Every value of a key (and with recurse, of the keys below it).
void QueryAll(const RegistryKey& key, const std::string& display, bool recurse, bool below) {
  std::vector<std::string> names;
  key.EnumValues(&names);
  // reg.exe names a key only when it shows values of it, or when it walks
  // the keys below the one asked for.
  if (!names.empty() || below)
    PrintLine(display);
  for (const std::string& name : names) {
    RegValue value;
    if (key.QueryValue(name, &value) == 0)
      PrintValue(name, value);
  }
  if (!names.empty() || below)
    PrintLine("");
  std::vector<std::string> subkeys;
  key.EnumSubKeys(&subkeys);
  for (const std::string& sub : subkeys) {
    if (!recurse) {
      PrintLine(display + "\\" + sub);
      continue;
    }
    RegistryKey child;
    if (key.OpenSubKey(sub, RegAccess::kRead, &child) == 0) {
      QueryAll(child, display + "\\" + sub, true, true);
    }
  }
}

// The name as the key holds it, which may differ in case from the one asked for.
std::string StoredName(const RegistryKey& key, const std::string& name) {
  std::vector<std::string> names;
  key.EnumValues(&names);
  const std::string folded = FoldCase(name);
  for (const std::string& stored : names) {
    if (FoldCase(stored) == folded)
      return stored;
  }
  return name;
}

// One value (empty name: the default value), in this key and with recurse
// in every key below it. Returns how many keys had it.
int QueryOne(const RegistryKey& key,
             const std::string& display,
             const std::string& name,
             bool recurse) {
  RegValue value;
  int found = 0;
  if (key.QueryValue(name, &value) == 0) {
    PrintLine(display);
    PrintValue(StoredName(key, name), value);
    PrintLine("");
    found = 1;
  }
  if (!recurse)
    return found;
  std::vector<std::string> subkeys;
  key.EnumSubKeys(&subkeys);
  for (const std::string& sub : subkeys) {
    RegistryKey child;
    if (key.OpenSubKey(sub, RegAccess::kRead, &child) == 0) {
      found += QueryOne(child, display + "\\" + sub, name, true);
    }
  }
  return found;
}

int QueryValueMode(const RegistryKey& key,
                   const RegKeyArgument& arg,
                   const SwitchOptions& options) {
  const std::string name = options.Value("v");
  const bool recurse = options.Has("s");
  const int found = QueryOne(key, arg.display, name, recurse);
  if (recurse) {
    PrintLine("End of search: " + std::to_string(found) + " match(es) found.");
    return 0;
  }
  if (found)
    return 0;
  if (!name.empty())
    return RegNotFound();
  // A key without a default value still shows it, as not set.
  PrintLine(arg.display);
  PrintLine("    (Default)    REG_SZ    (value not set)");
  PrintLine("");
  return 0;
}

}  // namespace

int RegQuery(const Args& args) {
  SwitchOptions options;
  if (!ParseSwitches(args, {"v"}, {"ve", "s", "reg:32", "reg:64"}, &options) ||
      options.positional.size() != 1 || (options.Has("v") && options.Has("ve")) ||
      (options.Has("reg:32") && options.Has("reg:64"))) {
    return RegSyntaxError("query");
  }
  RegKeyArgument arg;
  if (!ParseRegKeyArgument(options.positional[0], true, &arg))
    return RegBadKeyName("query");
  RegistryKey key;
  const int32_t rc = key.Open(arg.root, arg.path, RegAccess::kRead);
  if (rc != 0)
    return RegFailure(rc);
  PrintLine("");
  if (options.Has("v") || options.Has("ve"))
    return QueryValueMode(key, arg, options);
  QueryAll(key, arg.display, options.Has("s"), false);
  return 0;
}

}  // namespace tav::vpc_tool
