// The install ping: once per installation of the program, the first windowed
// start that finds the PC online tells the service that the program was
// installed. Only the setting "InstallStat" records that it went through.
#pragma once

#include <cstdint>

namespace tav {

// How long the ping may hold the main window's start-up.
inline constexpr int32_t kInstallPingTimeoutMs = 10000;

// Sends the ping when it is due: online and "InstallStat" not yet true.
// Every failure is silent and leaves the ping for the next start.
void SendInstallStat();

}  // namespace tav
