#include <cstdio>

#include "tools/dbtool/commands.h"

namespace tav::dbtool {

namespace {

constexpr const char* kUsage =
    "usage: tavrolin-dbtool COMMAND [ARGUMENTS]\n"
    "\n"
    "  build --catalog DIR --out FILE --arch 32|64 [--os CODE] [--cut] [--date yyyy-mm-dd]\n"
    "        [--hwdata DIR]\n"
    "      Builds a driver database from the driver packages (.zip, .7z) of DIR.\n"
    "      A FILE ending in .7z gets the database packed as its one item Drivers.db,\n"
    "      as the service publishes it.\n"
    "      --os limits the rows to one OS code (5, 6, 7, 8, 81, 10); without it\n"
    "      every OS an INF targets gets its rows. --cut marks the database as\n"
    "      holding one OS only (needs --os). --date is the database date (today\n"
    "      when left out). Vendor codes come from pci.ids and usb.ids in --hwdata\n"
    "      (/usr/share/hwdata).\n"
    "\n"
    "  catalog --profile FILE --out DIR\n"
    "      Writes a sample catalog for a virtual PC profile: driver packages, their\n"
    "      metadata, expected.json (each device's expected scan outcome) and\n"
    "      registry.json (per-device values the outcomes assume).\n"
    "\n"
    "  synth --devices N --rows M --out DIR [--arch 32|64] [--os CODE]\n"
    "      Writes a synthetic database of M driver rows and profile.json, a virtual\n"
    "      PC of N devices whose IDs the database knows, for benchmarks.\n"
    "\n"
    "  --help   this text\n";

}  // namespace

int PrintUsage(bool requested) {
  std::fputs(kUsage, requested ? stdout : stderr);
  return requested ? 0 : 2;
}

int Fail(int code, const std::string& message) {
  std::fprintf(stderr, "tavrolin-dbtool: %s\n", message.c_str());
  return code;
}

}  // namespace tav::dbtool
