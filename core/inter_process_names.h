// Names shared with the program's other instances, its installer and its
// tray program: mutexes, registered window messages with their wParam, and
// window titles. All are exact.
#pragma once

#include <cstdint>
#include <string_view>

namespace tav {

inline constexpr std::string_view kInstanceMutex = "Tavrolin";
inline constexpr std::string_view kUninstallMutex = "TavDriverUninstall";

struct RegisteredMessage {
  std::string_view name;
  uint64_t wparam;
};
inline constexpr RegisteredMessage kMsgRestore{"TavRestore", 1026};
inline constexpr RegisteredMessage kMsgStart{"TavStart", 1030};
inline constexpr RegisteredMessage kMsgUninstall{"TavUninstall", 1027};
inline constexpr RegisteredMessage kMsgTrayRefresh{"TavTrayR", 1028};
inline constexpr RegisteredMessage kMsgTrayClose{"TavTrayC", 1029};
inline constexpr RegisteredMessage kMsgInstalledBroadcast{"QvrInstalled by Tavrolin", 1055};
inline constexpr RegisteredMessage kMsgInstalled{"TavInstalled", 1055};

inline constexpr std::string_view kMainWindowTitle = "Tavrolin";
inline constexpr std::string_view kTrayWindowClass = "TForm1";
inline constexpr std::string_view kTrayWindowTitle = "TavTray";
inline constexpr std::string_view kTrayProgram = "TavTray.exe";

// Main-window titles of the maker's other programs, told about a first start.
inline constexpr std::string_view kCompanionTitles[] = {"Kelvorad System Care",
                                                        "Kelvorad PC Optimizer",
                                                        "Kelvorad Disk Doctor"};

// User message the main window posts itself once shown (WM_USER + 1).
inline constexpr uint32_t kMsgStartupStep = 0x0400 + 1;

}  // namespace tav
