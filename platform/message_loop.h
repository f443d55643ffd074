// The thread message loop of the main thread: waits for posted window
// messages or a wake-up, and hands window messages to their windows.
#pragma once

#include <cstdint>

namespace tav::platform {

// Waits at most timeout_ms for a message or a wake-up, then delivers every
// window message that has arrived. Runs on the main thread only.
void PumpMessages(uint32_t timeout_ms);
// Makes a waiting PumpMessages return; callable from any thread.
void WakeMessageLoop();

}  // namespace tav::platform
