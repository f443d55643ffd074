// The one way workers reach the main thread. A worker hands a call to the
// main thread and waits until it has run (Synchronize), or leaves it queued
// (Queue); the main thread serves the calls, and its windows' messages, in
// its message loop (RunLoop / ProcessPending). Command-line modes, tests and
// the user interface all drive the main thread through this module.
#pragma once

#include <cstdint>
#include <functional>

namespace tav {

class MainThread {
 public:
  // Makes the calling thread the main thread (once, at program start; tests
  // may call it again from their own main thread).
  static void Init();
  static bool IsMainThread();

  // Runs fn on the main thread and waits for it. On the main thread itself
  // fn runs at once. False (fn not run) once the main thread has stopped
  // serving calls (Shutdown), so a late worker never blocks for ever.
  static bool Synchronize(const std::function<void()>& fn);
  // Queues fn for the main thread without waiting.
  static void Queue(std::function<void()> fn);

  // Main thread: runs every queued call and delivers window messages,
  // waiting at most timeout_ms for the first one.
  static void ProcessPending(uint32_t timeout_ms = 0);
  // Main thread: serves calls and messages until done() answers true
  // (checked after every round and at least every poll_ms).
  static void RunLoop(const std::function<bool()>& done, uint32_t poll_ms = 50);

  // After this, Synchronize runs nothing and returns false; pending calls are
  // answered as not run. Used when the main thread stops for good.
  static void Shutdown();
  // Serving again (tests that run several programs in one process).
  static void Restart();
};

}  // namespace tav
