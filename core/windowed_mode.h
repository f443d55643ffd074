// The windowed mode: one instance per log-on session. A second start only
// tells the running instance to come to the front (and to scan with
// "/START"). The first start announces itself, then creates the main window,
// which runs until the application ends.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tav {

// The trimmed, upper-cased first argument; "/START" when the program starts
// with Windows.
const std::string& StartSwitch();
void SetStartSwitch(std::string_view value);

// Message numbers registered by main-window creation.
struct MainWindowMessages {
  uint32_t restore = 0, uninstall = 0, tray_refresh = 0, tray_close = 0, start = 0;
};

// What main-window creation does before the window's own set-up: register
// the messages, resolve the folders, start the core, configure crash
// reporting, run the start-up settings step, register the log-on task and
// start the tray program when a schedule is on, and take "/START" from the
// start-with-Windows setting.
MainWindowMessages MainWindowCreationSteps();
// What destroying the main window does: the closing log line, the scratch
// file removed, the core stopped.
void MainWindowDestroySteps();

// Creates the main window and runs the message loop until the application
// ends; supplied by the program (the user interface, or a window-less
// stand-in where there is none).
using MainWindowRunner = std::function<void()>;

void RunWindowedMode(std::string_view first_argument, const MainWindowRunner& run_main_window);

}  // namespace tav
