#include <cstdio>

#include "tools/vpc/commands.h"

namespace tav::vpc_tool {

namespace {

constexpr const char* kUsage =
    "usage: tavrolin-vpc [--machine DIR] COMMAND [ARGUMENTS]\n"
    "\n"
    "Works on the virtual PC in DIR, else on the one named by TAVROLIN_MACHINE.\n"
    "\n"
    "  create DIR [--profile FILE]   make a virtual PC from a JSON profile\n"
    "                                (default: the bundled Windows 7 PC)\n"
    "  reg query|add|delete|export|import ...\n"
    "                                the PC's registry, as Windows' reg.exe does it;\n"
    "                                export and import take host files\n"
    "  path WINDOWS_PATH             the host path of a path on the PC\n"
    "  path --windows HOST_PATH      the PC's path of a host path\n"
    "  builtin NAME ARGUMENTS        a system program of the PC: reg, regedit,\n"
    "                                schtasks (its files are paths on the PC)\n"
    "  --help                        this text\n";

}  // namespace

void PrintUsage(bool to_stderr) {
  std::fputs(kUsage, to_stderr ? stderr : stdout);
}

int UsageError(const std::string& message) {
  std::fprintf(stderr, "tavrolin-vpc: %s\n\n", message.c_str());
  PrintUsage(true);
  return kUsageExit;
}

}  // namespace tav::vpc_tool
