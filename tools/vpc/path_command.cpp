// tavrolin-vpc path WINDOWS_PATH | path --windows HOST_PATH
#include <string>

#include "platform/file_system.h"
#include "platform/shell_folders.h"
#include "tools/vpc/commands.h"
#include "tools/vpc/console.h"

namespace tav::vpc_tool {

int RunPath(const Args& args) {
  const bool to_windows = !args.empty() && args[0] == "--windows";
  if (args.size() != (to_windows ? 2u : 1u)) {
    return UsageError("path takes one Windows path, or --windows and one host path");
  }
  const std::string& path = args.back();
  // A Windows path may name the PC's variables ("%APPDATA%\\Tavrolin").
  const std::string mapped = to_windows
                                 ? platform::WindowsPathFromNative(path)
                                 : platform::NativePath(platform::ExpandEnvironmentStrings(path));
  if (mapped.empty()) {
    PrintErrorLine("tavrolin-vpc: " + path +
                   (to_windows ? " is not inside a drive of the virtual PC"
                               : " is not a path on a drive of the virtual PC"));
    return 1;
  }
  PrintLine(mapped);
  return 0;
}

}  // namespace tav::vpc_tool
