// tavrolin-cli: the program's jobs without a window, on the PC named by
// TAVROLIN_MACHINE (or the default virtual PC).
#include <cstdio>
#include <cstring>
#include <string>

#include "app/tavrolin_cli/commands.h"

namespace {

constexpr const char* kUsage =
    "usage: tavrolin-cli COMMAND [ARGUMENTS]\n"
    "\n"
    "  devices     write Devices.ini for this PC and print its counts\n"
    "  scan [--min-seconds N]\n"
    "              update the driver database when needed, then scan the PC's drivers\n"
    "              against it (Ctrl-C cancels)\n"
    "  update      update the driver database from the service\n"
    "  list [--history]\n"
    "              the driver packages of the last scan (or the download history) as on screen\n"
    "  download [--all | KEY...]\n"
    "              download driver packages of the last scan, nDownloads at a time\n"
    "              (Ctrl-C cancels; the next download resumes them)\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    std::fputs(kUsage, argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  const std::string command = argv[1];
  const tav::cli::Arguments args(argv + 2, argv + argc);
  if (command == "devices") return tav::cli::RunDevicesCommand(args);
  if (command == "scan") return tav::cli::RunScanCommand(args);
  if (command == "update") return tav::cli::RunUpdateCommand(args);
  if (command == "list") return tav::cli::RunListCommand(args);
  if (command == "download") return tav::cli::RunDownloadCommand(args);
  std::fprintf(stderr, "tavrolin-cli: unknown command \"%s\"\n\n%s", command.c_str(), kUsage);
  return 2;
}
