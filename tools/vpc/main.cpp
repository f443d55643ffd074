// tavrolin-vpc: the virtual PC's tool. Developers and tests make and inspect
// virtual PCs with it, and the PC runs its own system programs through it.
#include <cstdlib>
#include <string>

#include "platform/linux/virtual_pc.h"
#include "platform/linux/wow64_view.h"
#include "platform/text.h"
#include "tools/vpc/commands.h"
#include "tools/vpc/console.h"

namespace tav::vpc_tool {

namespace {

// Opens the PC named by --machine or TAVROLIN_MACHINE up front, so that a
// wrong folder is reported plainly instead of aborting inside a command.
bool UseMachine(const std::string& machine) {
  std::string root = machine;
  if (root.empty()) {
    const char* env = std::getenv("TAVROLIN_MACHINE");
    if (env)
      root = env;
  }
  if (root.empty())
    return true;  // the default PC, made on first use
  std::string error;
  if (platform::vpc::VirtualPc::Use(root, &error))
    return true;
  PrintErrorLine("tavrolin-vpc: " + error);
  return false;
}

int Dispatch(const std::string& command, const Args& rest, const std::string& machine) {
  if (command == "create")
    return RunCreate(rest);
  if (command == "import-host")
    return RunImportHost(rest);
  if (command != "reg" && command != "path" && command != "builtin" && command != "device") {
    return UsageError("unknown command \"" + command + "\"");
  }
  if (!UseMachine(machine))
    return 1;
  if (command == "reg")
    return RunReg(rest, FileSide::kHost);
  if (command == "path")
    return RunPath(rest);
  if (command == "device")
    return RunDevice(rest);
  return RunBuiltin(rest);
}

int Main(const Args& args) {
  std::string machine;
  size_t i = 0;
  for (; i < args.size() && args[i].rfind("-", 0) == 0; ++i) {
    if (args[i] == "--help" || args[i] == "-h") {
      PrintUsage(false);
      return 0;
    }
    if (args[i] != "--machine")
      return UsageError("unknown option \"" + args[i] + "\"");
    if (++i >= args.size())
      return UsageError("--machine needs the folder of a virtual PC");
    machine = args[i];
  }
  if (i >= args.size())
    return UsageError("no command given");
  return Dispatch(args[i], Args(args.begin() + static_cast<long>(i) + 1, args.end()), machine);
}

}  // namespace

}  // namespace tav::vpc_tool

int main(int argc, char** argv) {
  // The tool stands for the PC's own 64-bit programs: it sees System32 as it is.
  tav::platform::vpc::SetProcessIsNative();
  return tav::vpc_tool::Main(tav::vpc_tool::Args(argv + 1, argv + argc));
}
