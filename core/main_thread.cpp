#include "core/main_thread.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <future>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/message_loop.h"

namespace tav {

namespace {

struct Call {
  std::function<void()> fn;
  // Set for a synchronous call: the worker waits on it.
  std::shared_ptr<std::promise<bool>> done;
};

std::mutex g_mutex;
std::deque<Call> g_calls;
std::atomic<bool> g_shut_down{false};
std::thread::id g_main_id = std::this_thread::get_id();

}  // namespace

void MainThread::Init() {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_main_id = std::this_thread::get_id();
}

bool MainThread::IsMainThread() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return std::this_thread::get_id() == g_main_id;
}

bool MainThread::Synchronize(const std::function<void()>& fn) {
  if (IsMainThread()) {
    fn();
    return true;
  }
  auto done = std::make_shared<std::promise<bool>>();
  std::future<bool> result = done->get_future();
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_shut_down) return false;
    g_calls.push_back({fn, done});
  }
  platform::WakeMessageLoop();
  return result.get();
}

void MainThread::Queue(std::function<void()> fn) {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_shut_down) return;
    g_calls.push_back({std::move(fn), nullptr});
  }
  platform::WakeMessageLoop();
}

void MainThread::ProcessPending(uint32_t timeout_ms) {
  bool waiting;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    waiting = g_calls.empty();
  }
  platform::PumpMessages(waiting ? timeout_ms : 0);
  for (;;) {
    Call call;
    {
      std::lock_guard<std::mutex> lock(g_mutex);
      if (g_calls.empty()) return;
      call = std::move(g_calls.front());
      g_calls.pop_front();
    }
    try {
      call.fn();
    } catch (...) {
      if (call.done) call.done->set_exception(std::current_exception());
      continue;
    }
    if (call.done) call.done->set_value(true);
  }
}

void MainThread::RunLoop(const std::function<bool()>& done, uint32_t poll_ms) {
  while (!done()) ProcessPending(poll_ms);
}

void MainThread::Shutdown() {
  std::deque<Call> left;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_shut_down = true;
    left.swap(g_calls);
  }
  for (Call& call : left) {
    if (call.done) call.done->set_value(false);
  }
}

void MainThread::Restart() { g_shut_down = false; }

}  // namespace tav
