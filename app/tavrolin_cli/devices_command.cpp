// tavrolin-cli devices: writes "Devices.ini" for the PC and prints its counts.
#include <cstdio>

#include "app/tavrolin_cli/cli_session.h"
#include "app/tavrolin_cli/commands.h"
#include "core/folders.h"
#include "core/ini_file.h"
#include "devices/device_list.h"
#include "matching/driver_database.h"
#include "platform/file_system.h"

namespace tav::cli {

int RunDevicesCommand(const Arguments& args) {
  if (!args.empty()) {
    std::fprintf(stderr, "usage: tavrolin-cli devices\n");
    return 2;
  }
  CliSession session;
  bool completed = false;
  try {
    completed = GenerateDevicesList("Devices.ini", [] { CreateBaseIndexes(); });
  } catch (const std::exception& e) {
    std::fprintf(stderr, "The device list could not be made: %s\n", e.what());
    return 1;
  }
  const std::string path = GetFolders().core_work + "Devices.ini";
  const TMemIniFile list(path);
  static constexpr const char* kCounts[] = {"TotalDevices",  "UniqueDevices", "DuplicateDevices",
                                            "EmptyDevices",  "IgnoreDevices", "ShouldFoundDevices",
                                            "TimeToGenerate"};
  std::printf("%s\n", path.c_str());
  std::printf("  (%s)\n", platform::NativePath(path).c_str());
  for (const char* key : kCounts) {
    std::printf("  %-20s %s\n", key, list.ReadString("Settings", key, "?").c_str());
  }
  const size_t errors = list.ReadSection("Errors").size();
  std::printf("  %-20s %zu\n", "Errors", errors > 0 ? errors - 1 : 0);
  if (!completed) {
    std::fprintf(stderr, "The enumeration of the devices stopped early; see the [Errors] section.\n");
    return 1;
  }
  return 0;
}

}  // namespace tav::cli
