// Top-level windows and posted messages between the programs of one log-on
// session: registered message numbers, finding a window by class and title,
// posting and broadcasting, and this process's own message windows, whose
// messages arrive through the message loop (message_loop.h).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tav::platform {

using WindowHandle = uint64_t;  // 0 = none

// RegisterWindowMessage: the same name gives the same number in every
// process (0xC000..0xFFFF); 0 on failure.
uint32_t RegisterWindowMessage(std::string_view name);

// FindWindow: an empty class matches any class.
WindowHandle FindWindow(std::string_view class_name, std::string_view title);
bool IsWindow(WindowHandle window);
// EnumWindows with GetWindowThreadProcessId: the top-level windows that a
// process owns, in handle order.
std::vector<WindowHandle> FindWindowsOfProcess(uint32_t pid);
bool PostMessage(WindowHandle window, uint32_t message, uint64_t wparam, int64_t lparam);
// PostMessage(HWND_BROADCAST, ...): every top-level window gets it.
bool BroadcastMessage(uint32_t message, uint64_t wparam, int64_t lparam);

// A top-level window owned by this process. Its messages are handed to the
// handler on the thread that runs the message loop.
class MessageWindow {
 public:
  using Handler = std::function<void(uint32_t message, uint64_t wparam, int64_t lparam)>;

  MessageWindow();
  ~MessageWindow();
  MessageWindow(const MessageWindow&) = delete;
  MessageWindow& operator=(const MessageWindow&) = delete;

  bool Create(std::string_view class_name, std::string_view title, Handler handler);
  void Destroy();
  WindowHandle Handle() const;
  bool SetTitle(std::string_view title);

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace tav::platform
