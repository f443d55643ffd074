// tavrolin-vpc create DIR [--profile FILE]
#include <string>

#include "platform/linux/virtual_pc.h"
#include "tools/vpc/commands.h"
#include "tools/vpc/console.h"
#include "tools/vpc/host_file.h"

namespace tav::vpc_tool {

int RunCreate(const Args& args) {
  std::string folder, profile_file;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--profile") {
      if (++i >= args.size() || !profile_file.empty())
        return UsageError("--profile needs one file");
      profile_file = args[i];
    } else if (folder.empty() && args[i].rfind("-", 0) != 0) {
      folder = args[i];
    } else {
      return UsageError("create: unexpected argument \"" + args[i] + "\"");
    }
  }
  if (folder.empty())
    return UsageError("create needs the folder of the new virtual PC");
  std::string profile(platform::vpc::VirtualPc::DefaultProfile());
  if (!profile_file.empty() && !ReadHostFile(profile_file, &profile)) {
    PrintErrorLine("tavrolin-vpc: cannot read the profile " + profile_file);
    return 1;
  }
  std::string error;
  if (!platform::vpc::VirtualPc::Create(folder, profile, &error)) {
    PrintErrorLine("tavrolin-vpc: cannot create a virtual PC in " + folder + ": " + error);
    return 1;
  }
  PrintLine("Created a virtual PC in " + folder);
  return 0;
}

}  // namespace tav::vpc_tool
