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
    "  device list                   the PC's devices: instance ID, class, state, name\n"
    "  device show ID                a device as a profile entry (JSON)\n"
    "  device add FILE|-             add or replace a device or a list of devices (JSON)\n"
    "  device remove ID              remove a device and its driver key\n"
    "  device set ID [--present 0|1] [--status N] [--problem N]\n"
    "                                change a device node; a new problem code alone\n"
    "                                also sets the status flags that go with it\n"
    "  import-host [--out FILE]      a profile of the default PC with this Linux\n"
    "                                machine's PCI and USB devices (from /sys;\n"
    "                                --sysfs DIR and --hwdata DIR read elsewhere)\n"
    "  path WINDOWS_PATH             the host path of a path on the PC (%VARIABLES%\n"
    "                                of the PC expanded)\n"
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
