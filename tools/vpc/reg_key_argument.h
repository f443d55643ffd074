// A key argument of reg.exe: "HKLM\SOFTWARE\X" or "HKEY_LOCAL_MACHINE\SOFTWARE\X".
#pragma once

#include <string>
#include <string_view>

#include "platform/registry.h"

namespace tav::vpc_tool {

struct RegKeyArgument {
  platform::RegRoot root = platform::RegRoot::kLocalMachine;
  std::string path;     // below the root; no leading or trailing "\"
  std::string display;  // "HKEY_LOCAL_MACHINE\SOFTWARE\X", the path as the user wrote it
};

// False for a remote key ("\\PC\HKLM"), an unknown root, or an empty part in
// the path. The root alone ("HKCU", "HKCU\") only where root_alone_ok.
bool ParseRegKeyArgument(std::string_view text, bool root_alone_ok, RegKeyArgument* out);

}  // namespace tav::vpc_tool
