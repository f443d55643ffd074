// Log engine throughput and per-call latency, next to a plain
// mutex-and-deque queue measured in the same run.
//
// Throughput is end to end: the calls, the log thread, and the final flush
// that writes every line to "program.log". Latency is one XLog::Log call as
// a caller sees it, sampled with the steady clock.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/log_engine.h"
#include "core/main_thread.h"
#include "bench/bench_machine.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kLines = 1'000'000;
constexpr const char* kFolder = "C:\\Users\\Alex\\AppData\\Roaming\\Tavrolin\\";

// The naive design: every call formats, copies the line twice and pushes
// both copies under one mutex into deques.
struct PlainQueue {
  std::mutex mutex;
  std::deque<std::string> queue;
  std::deque<std::string> memory;
  void Log(const std::string& routine, const std::string& message) {
    std::string line = ": " + routine + " PARAMS: " + message;
    std::lock_guard<std::mutex> lock(mutex);
    queue.push_back(line);
    memory.push_back(line);
  }
};

template <typename Call>
double LinesPerSecond(int threads, Call call, const std::function<void()>& finish) {
  const auto start = Clock::now();
  std::vector<std::thread> workers;
  for (int t = 0; t < threads; ++t) {
    workers.emplace_back([&, t] {
      const std::string routine = "Bench.Thread" + std::to_string(t);
      for (int i = 0; i < kLines / threads; ++i) call(routine, std::to_string(i));
    });
  }
  for (auto& w : workers) w.join();
  finish();
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return kLines / seconds;
}

template <typename Call>
std::pair<double, double> Percentiles(Call call) {
  std::vector<double> ns;
  ns.reserve(kLines);
  const std::string routine = "Bench.Latency";
  std::vector<std::string> messages;
  messages.reserve(kLines);
  for (int i = 0; i < kLines; ++i) messages.push_back(std::to_string(i));
  for (int i = 0; i < kLines; ++i) {
    const auto t0 = Clock::now();
    call(routine, messages[static_cast<size_t>(i)]);
    const auto t1 = Clock::now();
    ns.push_back(std::chrono::duration<double, std::nano>(t1 - t0).count());
  }
  std::sort(ns.begin(), ns.end());
  return {ns[ns.size() / 2], ns[ns.size() * 99 / 100]};
}

void RestartLog() {
  tav::XLog::Stop();
  tav::XLog::Init(kFolder);
}

}  // namespace

int main() {
  tav::bench::BenchMachine machine;
  if (!machine.ok()) return 1;
  tav::MainThread::Init();
  auto xlog = [](const std::string& r, const std::string& m) { tav::XLog::Log(r, m); };

  std::printf("log engine, %d distinct lines per measurement\n", kLines);
  for (int threads : {1, 2}) {
    RestartLog();
    const double ours = LinesPerSecond(threads, xlog, [] { tav::XLog::Flush(); });
    PlainQueue plain;
    const double base = LinesPerSecond(
        threads, [&](const std::string& r, const std::string& m) { plain.Log(r, m); }, [] {});
    std::printf("  %d thread(s): XLog %.2f M lines/s (to disk)   plain queue %.2f M lines/s "
                "(memory only)   ratio %.2f\n",
                threads, ours / 1e6, base / 1e6, ours / base);
  }
  RestartLog();
  const auto [p50, p99] = Percentiles(xlog);
  PlainQueue plain;
  const auto [b50, b99] =
      Percentiles([&](const std::string& r, const std::string& m) { plain.Log(r, m); });
  std::printf("  one call: XLog p50 %.0f ns, p99 %.0f ns   plain queue p50 %.0f ns, p99 %.0f ns   "
              "p99 ratio %.2f\n",
              p50, p99, b50, b99, p99 / b99);
  std::printf("  goals: >= 1 M lines/s, p99 < 1000 ns: %s\n",
              p99 < 1000 ? "p99 met" : "p99 NOT met");
  tav::XLog::Stop();
  return 0;
}
