// tavrolin-vpc builtin NAME ARGUMENTS: the PC's system programs. A program
// file whose first line is "#!tavrolin-vpc builtin NAME" starts this, with
// the arguments of its Windows command line.
#include <string>

#include "platform/text.h"
#include "tools/vpc/commands.h"

namespace tav::vpc_tool {

int RunBuiltin(const Args& args) {
  if (args.empty())
    return UsageError("builtin needs the name of a system program");
  // Windows finds programs without regard to case ("REG.EXE" is reg.exe).
  std::string name = ToLowerAscii(args[0]);
  if (name.size() > 4 && name.substr(name.size() - 4) == ".exe")
    name.resize(name.size() - 4);
  const Args rest(args.begin() + 1, args.end());
  if (name == "reg")
    return RunReg(rest, FileSide::kMachine);
  if (name == "regedit")
    return RunRegedit(rest);
  if (name == "schtasks")
    return RunSchtasks(rest);
  return UsageError("no system program \"" + args[0] + "\" (there are reg, regedit, schtasks)");
}

}  // namespace tav::vpc_tool
