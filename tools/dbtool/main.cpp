// tavrolin-dbtool: builds the driver databases the driver service publishes,
// sample catalogs for virtual PCs, and large synthetic databases.
#include <string>

#include "tools/dbtool/commands.h"

int main(int argc, char** argv) {
  using namespace tav::dbtool;
  const Args args(argv + 1, argv + argc);
  if (args.empty())
    return PrintUsage(false);
  const std::string command = args[0];
  const Args rest(args.begin() + 1, args.end());
  for (const std::string& a : rest) {
    if (a == "--help" || a == "-h")
      return PrintUsage(true);
  }
  if (command == "--help" || command == "-h" || command == "help")
    return PrintUsage(true);
  if (command == "build")
    return RunBuildCommand(rest);
  if (command == "catalog")
    return RunCatalogCommand(rest);
  if (command == "synth")
    return RunSynthCommand(rest);
  Fail(2, "unknown command \"" + command + "\"");
  return PrintUsage(false);
}
