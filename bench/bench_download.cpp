// XInternet::LoadInternetFile downloading a 256 MB package from
// tavrolin-service on 127.0.0.1, with a progress callback, next to
// `curl -s -o FILE` on the same file from the same service, in the same run.
// Both write into the same temporary folder's file system; the service reads
// the package from the page cache. Each side runs three times; the best run
// counts. Goal: at least 0.8 of curl's throughput.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/bench_machine.h"
#include "bench/bench_service.h"
#include "core/folders.h"
#include "core/log_engine.h"
#include "net/internet.h"
#include "platform/file_system.h"

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
  if (!WriteRandomFile(content + kPackagePath, kPackageBytes))
    return 1;
  const BenchService service(content);
  if (!service.ok()) {
    std::fprintf(stderr, "tavrolin-service did not start from %s\n", BenchService::Path().c_str());
    return 1;
  }
  g_host = service.host();
  tav::XLog::Init(tav::GetFolders().work);
  benchmark::RunSpecifiedBenchmarks();
  tav::XLog::Stop();
  PrintSummary(machine);
  benchmark::Shutdown();
  return 0;
}
