// reg export KEY FILE [/y] and reg import FILE, in the .reg text format.
#include <string>

#include "platform/linux/reg_file.h"
#include "tools/vpc/console.h"
#include "tools/vpc/host_file.h"
#include "tools/vpc/reg_key_argument.h"
#include "tools/vpc/reg_operations.h"
#include "tools/vpc/switch_options.h"

namespace tav::vpc_tool {

int RegExport(const Args& args, FileSide files) {
  SwitchOptions options;
  if (!ParseSwitches(args, {}, {"y", "reg:32", "reg:64"}, &options) ||
      options.positional.size() != 2) {
    return RegSyntaxError("export");
  }
  RegKeyArgument arg;
  if (!ParseRegKeyArgument(options.positional[0], true, &arg))
    return RegBadKeyName("export");
  const std::string file = HostPathOf(options.positional[1], files);
  std::string text, error;
  if (!platform::vpc::ExportRegText(arg.root, arg.path, &text, &error))
    return RegNotFound();
  if (!options.Has("y") && HostFileExists(file) &&
      !Confirm("File " + options.positional[1] + " already exists. Overwrite")) {
    PrintLine("The operation was cancelled by the user.");
    return 0;
  }
  if (file.empty() || !WriteHostFile(file, platform::vpc::EncodeRegFile(text))) {
    PrintErrorLine("ERROR: Unable to write to the file. There may be a disk or file system error.");
    return 1;
  }
  RegSucceeded();
  return 0;
}

int RegImport(const Args& args, FileSide files) {
  SwitchOptions options;
  if (!ParseSwitches(args, {}, {"reg:32", "reg:64"}, &options) || options.positional.size() != 1) {
    return RegSyntaxError("import");
  }
  const std::string file = HostPathOf(options.positional[0], files);
  std::string bytes;
  if (file.empty() || !ReadHostFile(file, &bytes)) {
    PrintErrorLine("ERROR: Error opening the file. There may be a disk or file system error.");
    return 1;
  }
  std::string error;
  if (!platform::vpc::ImportRegText(platform::vpc::DecodeRegFile(bytes), &error)) {
    PrintErrorLine("ERROR: " + error);
    return 1;
  }
  // reg.exe reports a finished import on its error stream.
  PrintErrorLine("The operation completed successfully.");
  return 0;
}

}  // namespace tav::vpc_tool
