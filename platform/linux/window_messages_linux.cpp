// Windows of the virtual PC's programs: each top-level window of a process
// is a small file in the PC's run folder (owner, class, title) and a Unix
// datagram socket that receives the messages posted to it. The main thread's
// message loop waits on the sockets of this process's windows.
#include "platform/window_messages.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/linux/host_process.h"
#include "platform/linux/virtual_pc.h"
#include "platform/message_loop.h"
#include "platform/text.h"

namespace tav::platform {

namespace {

struct Packet {
  uint32_t message;
  uint32_t reserved;
  uint64_t wparam;
  int64_t lparam;
};

std::string WindowFolder() { return vpc::VirtualPc::Current().RunFolder("windows"); }

std::string HexHandle(WindowHandle h) {
  char text[32];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
  return text;
}

sockaddr_un SocketAddress(WindowHandle h, socklen_t* length) {
  sockaddr_un addr;
  std::memset(&addr, 0, sizeof addr);
  addr.sun_family = AF_UNIX;
  // Abstract names: no file, no path-length trouble, gone with the process.
  const std::string name = "tavrolin-window-" +
                           std::to_string(std::hash<std::string>{}(vpc::VirtualPc::Current().root())) +
                           "-" + HexHandle(h);
  std::memcpy(addr.sun_path + 1, name.data(), std::min(name.size(), sizeof(addr.sun_path) - 2));
  *length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
  return addr;
}

struct WindowRecord {
  WindowHandle handle = 0;
  uint32_t pid = 0;
  uint64_t start_ticks = 0;  // of the owner, which tells a reused pid apart
  std::string class_name;
  std::string title;
};

uint64_t OwnStartTicks() {
  static const uint64_t ticks = [] {
    vpc::HostProcessStat stat;
    return vpc::ReadHostProcessStat(static_cast<uint32_t>(getpid()), &stat) ? stat.start_ticks : 0;
  }();
  return ticks;
}

std::vector<WindowRecord> LiveWindows() {
  std::vector<WindowRecord> windows;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(WindowFolder(), ec)) {
    // Not a record being written.
    if (entry.path().extension() != ".json")
      continue;
    std::ifstream in(entry.path());
    std::stringstream text;
    text << in.rdbuf();
    const nlohmann::json j = nlohmann::json::parse(text.str(), nullptr, false);
    if (!j.is_object()) continue;
    WindowRecord r;
    r.handle = j.value("handle", uint64_t{0});
    r.pid = j.value("pid", 0u);
    r.start_ticks = j.value("start_ticks", uint64_t{0});
    r.class_name = j.value("class", "");
    r.title = j.value("title", "");
    // A window goes with its process, at once, as on Windows; a process
    // that ended without destroying its windows leaves records behind.
    if (!vpc::HostProcessRuns(r.pid, r.start_ticks)) {
      std::filesystem::remove(entry.path(), ec);
      continue;
    }
    windows.push_back(std::move(r));
  }
  std::sort(windows.begin(), windows.end(),
            [](const WindowRecord& a, const WindowRecord& b) { return a.handle < b.handle; });
  return windows;
}

bool Send(WindowHandle window, uint32_t message, uint64_t wparam, int64_t lparam) {
  const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  socklen_t length = 0;
  const sockaddr_un addr = SocketAddress(window, &length);
  const Packet packet{message, 0, wparam, lparam};
  const ssize_t sent = sendto(fd, &packet, sizeof packet, MSG_DONTWAIT,
                              reinterpret_cast<const sockaddr*>(&addr), length);
  close(fd);
  return sent == static_cast<ssize_t>(sizeof packet);
}

}  // namespace

struct MessageWindow::Impl {
  WindowHandle handle = 0;
  int fd = -1;
  std::string record_path;
  std::string class_name;
  std::string title;
  Handler handler;
};

namespace {

std::mutex g_windows_mutex;
std::vector<MessageWindow::Impl*> g_windows;
std::atomic<uint32_t> g_next_window{1};
int g_wake_fd = -1;
std::once_flag g_wake_once;

int WakeFd() {
  std::call_once(g_wake_once, [] { g_wake_fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK); });
  return g_wake_fd;
}

bool WriteRecord(const MessageWindow::Impl& impl) {
  nlohmann::json j;
  j["handle"] = impl.handle;
  j["pid"] = static_cast<uint32_t>(getpid());
  j["start_ticks"] = OwnStartTicks();
  j["class"] = impl.class_name;
  j["title"] = impl.title;
  const std::string temp = impl.record_path + ".tmp";
  {
    std::ofstream out(temp);
    out << j.dump();
    if (!out) return false;
  }
  return std::rename(temp.c_str(), impl.record_path.c_str()) == 0;
}

}  // namespace

uint32_t RegisterWindowMessage(std::string_view name) {
  if (name.empty()) return 0;
  vpc::VirtualPc& pc = vpc::VirtualPc::Current();
  std::lock_guard<std::recursive_mutex> lock(pc.db_mutex());
  const std::string folded = FoldCase(name);
  sqlite3_stmt* insert = pc.Statement("INSERT OR IGNORE INTO atoms(folded, name) VALUES(?1, ?2)");
  sqlite3_bind_text(insert, 1, folded.data(), static_cast<int>(folded.size()), SQLITE_TRANSIENT);
  sqlite3_bind_text(insert, 2, name.data(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
  sqlite3_step(insert);
  sqlite3_reset(insert);
  sqlite3_stmt* find = pc.Statement("SELECT id FROM atoms WHERE folded=?1");
  sqlite3_bind_text(find, 1, folded.data(), static_cast<int>(folded.size()), SQLITE_TRANSIENT);
  uint32_t id = 0;
  if (sqlite3_step(find) == SQLITE_ROW) {
    id = 0xC000 + static_cast<uint32_t>(sqlite3_column_int64(find, 0) - 1);
  }
  sqlite3_reset(find);
  return id <= 0xFFFF ? id : 0;
}

WindowHandle FindWindow(std::string_view class_name, std::string_view title) {
  for (const WindowRecord& w : LiveWindows()) {
    if (!class_name.empty() && !EqualsIgnoreCase(class_name, w.class_name)) continue;
    if (FoldCase(title) == FoldCase(w.title)) return w.handle;
  }
  return 0;
}

bool IsWindow(WindowHandle window) {
  if (window == 0) return false;
  for (const WindowRecord& w : LiveWindows()) {
    if (w.handle == window) return true;
  }
  return false;
}

bool PostMessage(WindowHandle window, uint32_t message, uint64_t wparam, int64_t lparam) {
  return window != 0 && Send(window, message, wparam, lparam);
}

bool BroadcastMessage(uint32_t message, uint64_t wparam, int64_t lparam) {
  for (const WindowRecord& w : LiveWindows()) Send(w.handle, message, wparam, lparam);
  return true;
}

MessageWindow::MessageWindow() = default;
MessageWindow::~MessageWindow() { Destroy(); }

bool MessageWindow::Create(std::string_view class_name, std::string_view title, Handler handler) {
  Destroy();
  auto impl = std::make_unique<Impl>();
  impl->handle = (static_cast<uint64_t>(getpid()) << 16) | (g_next_window++ & 0xFFFF);
  impl->class_name = class_name;
  impl->title = title;
  impl->handler = std::move(handler);
  impl->fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  socklen_t length = 0;
  const sockaddr_un addr = SocketAddress(impl->handle, &length);
  if (impl->fd < 0 || bind(impl->fd, reinterpret_cast<const sockaddr*>(&addr), length) != 0) {
    if (impl->fd >= 0) close(impl->fd);
    return false;
  }
  impl->record_path = WindowFolder() + "/" + HexHandle(impl->handle) + ".json";
  if (!WriteRecord(*impl)) {
    close(impl->fd);
    return false;
  }
  {
    std::lock_guard<std::mutex> lock(g_windows_mutex);
    g_windows.push_back(impl.get());
  }
  impl_ = std::move(impl);
  WakeMessageLoop();
  return true;
}

void MessageWindow::Destroy() {
  if (!impl_) return;
  {
    std::lock_guard<std::mutex> lock(g_windows_mutex);
    std::erase(g_windows, impl_.get());
  }
  std::error_code ec;
  std::filesystem::remove(impl_->record_path, ec);
  close(impl_->fd);
  impl_.reset();
}

WindowHandle MessageWindow::Handle() const { return impl_ ? impl_->handle : 0; }

bool MessageWindow::SetTitle(std::string_view title) {
  if (!impl_) return false;
  impl_->title = title;
  return WriteRecord(*impl_);
}

void PumpMessages(uint32_t timeout_ms) {
  std::vector<pollfd> fds;
  fds.push_back({WakeFd(), POLLIN, 0});
  {
    std::lock_guard<std::mutex> lock(g_windows_mutex);
    for (MessageWindow::Impl* w : g_windows) fds.push_back({w->fd, POLLIN, 0});
  }
  const int ready = poll(fds.data(), fds.size(), static_cast<int>(timeout_ms));
  if (ready <= 0) return;
  if (fds[0].revents & POLLIN) {
    uint64_t count;
    while (read(WakeFd(), &count, sizeof count) > 0) {
    }
  }
  for (size_t i = 1; i < fds.size(); ++i) {
    if (!(fds[i].revents & POLLIN)) continue;
    for (;;) {
      Packet packet;
      if (recv(fds[i].fd, &packet, sizeof packet, MSG_DONTWAIT) != sizeof packet) break;
      // The handler may destroy windows: find the window again for each message.
      MessageWindow::Handler handler;
      {
        std::lock_guard<std::mutex> lock(g_windows_mutex);
        for (MessageWindow::Impl* w : g_windows) {
          if (w->fd == fds[i].fd) handler = w->handler;
        }
      }
      if (!handler) break;
      handler(packet.message, packet.wparam, packet.lparam);
    }
  }
}

void WakeMessageLoop() {
  const uint64_t one = 1;
  [[maybe_unused]] const ssize_t rc = write(WakeFd(), &one, sizeof one);
}

std::vector<WindowHandle> FindWindowsOfProcess(uint32_t pid) {
  std::vector<WindowHandle> handles;
  for (const WindowRecord& w : LiveWindows()) {
    if (w.pid == pid) handles.push_back(w.handle);
  }
  return handles;
}

}  // namespace tav::platform
