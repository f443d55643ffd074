// XInternet::LoadInternetFile downloading a 256 MB package from
// tavrolin-service on 127.0.0.1, with a progress callback, next to
// `curl -s -o FILE` on the same file from the same service, in the same run.
// Both write into the same temporary folder's file system; the service reads
// the package from the page cache. Each side runs three times; the best run
// counts. Goal: at least 0.8 of curl's throughput.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_machine.h"
#include "core/folders.h"
#include "core/log_engine.h"
#include "net/internet.h"
#include "platform/file_system.h"

extern char** environ;

namespace tav::bench {
namespace {

namespace fs = std::filesystem;

constexpr uint64_t kPackageBytes = 256ull << 20;
constexpr const char* kPackagePath = "/downloads/999_bench_package.zip";
constexpr const char* kTarget = "C:\\Bench\\bench_package.zip";

struct Results {
  double ours = 1e9;  // best seconds
  double tool = 1e9;
  int64_t progress_calls = 0;
  bool complete = true;
};
Results g_results;
std::string g_host;       // 127.0.0.1:PORT
std::string g_curl_file;  // host path of curl's copy

bool WritePackage(const std::string& path) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream out(path, std::ios::binary);
  std::mt19937_64 random(42);
  std::vector<uint64_t> block((4u << 20) / sizeof(uint64_t));
  for (uint64_t written = 0; written < kPackageBytes; written += block.size() * sizeof(uint64_t)) {
    for (uint64_t& word : block)
      word = random();
    out.write(reinterpret_cast<const char*>(block.data()),
              static_cast<std::streamsize>(block.size() * sizeof(uint64_t)));
  }
  return static_cast<bool>(out);
}

std::string ServicePath() {
  const char* tools = std::getenv("TAVROLIN_TOOLS");
  if (tools && *tools)
    return std::string(tools) + "/tavrolin-service";
  return (fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "bin" /
          "tavrolin-service")
      .string();
}

// The service on a free port; its pid, and its host in g_host.
pid_t StartService(const std::string& content) {
  const std::string out = content + "/service.out";
  std::vector<std::string> args = {ServicePath(), "--content", content, "--port", "0"};
  std::vector<char*> argv;
  for (std::string& a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0)
    return -1;
  for (int i = 0; i < 1000 && g_host.empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::ifstream in(out);
    std::string line;
    if (std::getline(in, line) && line.rfind("listening on ", 0) == 0)
      g_host = line.substr(13);
  }
  return pid;
}

void StopService(pid_t pid) {
  if (pid <= 0)
    return;
  kill(pid, SIGTERM);
  int status = 0;
  waitpid(pid, &status, 0);
}

void BM_LoadInternetFile(benchmark::State& state) {
  for (auto _ : state) {
    platform::DeleteFile(kTarget);
    int64_t calls = 0;
    int32_t last = 0;
    const TransferProgress progress = [&calls, &last](int32_t position, int32_t) {
      ++calls;
      last = position;
      return true;
    };
    const double start = Seconds();
    const bool ok = XInternet::LoadInternetFile(kServiceAgent, g_host, kPackagePath, 60000,
                                                progress, false, kTarget);
    const double seconds = Seconds() - start;
    if (!ok || last != static_cast<int32_t>(kPackageBytes)) {
      state.SkipWithError("LoadInternetFile failed");
      break;
    }
    g_results.ours = std::min(g_results.ours, seconds);
    g_results.progress_calls = calls;
    state.SetIterationTime(seconds);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kPackageBytes));
}

void BM_CurlO(benchmark::State& state) {
  for (auto _ : state) {
    fs::remove(g_curl_file);
    const double start = Seconds();
    const int rc = std::system(
        ("curl -s -o '" + g_curl_file + "' 'http://" + g_host + kPackagePath + "'").c_str());
    const double seconds = Seconds() - start;
    std::error_code ec;
    if (rc != 0 || fs::file_size(g_curl_file, ec) != kPackageBytes) {
      state.SkipWithError("curl failed");
      break;
    }
    g_results.tool = std::min(g_results.tool, seconds);
    state.SetIterationTime(seconds);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kPackageBytes));
}

BENCHMARK(BM_CurlO)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadInternetFile)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

bool SameFile(const std::string& a, const std::string& b) {
  std::ifstream first(a, std::ios::binary), second(b, std::ios::binary);
  std::vector<char> x(1 << 20), y(1 << 20);
  while (first && second) {
    first.read(x.data(), static_cast<std::streamsize>(x.size()));
    second.read(y.data(), static_cast<std::streamsize>(y.size()));
    if (first.gcount() != second.gcount() ||
        !std::equal(x.begin(), x.begin() + first.gcount(), y.begin())) {
      return false;
    }
  }
  return !first && !second;
}

double MegabytesPerSecond(double seconds) {
  return kPackageBytes / 1048576.0 / seconds;
}

void PrintSummary(const BenchMachine& machine) {
  if (g_results.ours >= 1e9 || g_results.tool >= 1e9)
    return;
  std::printf("LoadInternetFile %8.1f MB/s (%.3f s, %lld progress calls)\n",
              MegabytesPerSecond(g_results.ours), g_results.ours,
              static_cast<long long>(g_results.progress_calls));
  std::printf("curl -o          %8.1f MB/s (%.3f s, process start included)\n",
              MegabytesPerSecond(g_results.tool), g_results.tool);
  std::printf("ratio            %8.3f of curl's throughput (goal >= 0.8)\n",
              g_results.tool / g_results.ours);
  std::printf("files            %s\n",
              SameFile(machine.Host(kTarget), g_curl_file) ? "agree" : "DIFFER");
}

}  // namespace
}  // namespace tav::bench

int main(int argc, char** argv) {
  using namespace tav::bench;
  benchmark::Initialize(&argc, argv);
  BenchMachine machine;
  if (!machine.ok() || !tav::platform::CreateDirectory("C:\\Bench"))
    return 1;
  const std::string content = machine.Host("C:\\Bench") + "/service";
  g_curl_file = machine.Host("C:\\Bench") + "/curl_copy.zip";
  std::printf("writing a %llu MB package...\n",
              static_cast<unsigned long long>(kPackageBytes >> 20));
  if (!WritePackage(content + kPackagePath))
    return 1;
  const pid_t service = StartService(content);
  if (g_host.empty()) {
    std::fprintf(stderr, "tavrolin-service did not start from %s\n", ServicePath().c_str());
    StopService(service);
    return 1;
  }
  tav::XLog::Init(tav::GetFolders().work);
  benchmark::RunSpecifiedBenchmarks();
  tav::XLog::Stop();
  PrintSummary(machine);
  StopService(service);
  benchmark::Shutdown();
  return 0;
}
