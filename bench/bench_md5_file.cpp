// MD5File on a 512 MB file of random bytes next to `openssl md5` on the same
// file, in the same run (both read it from the page cache: the file has just
// been written). Goal: at least 0.9 of openssl's throughput.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

#include "bench/bench_machine.h"
#include "bench/bench_service.h"
#include "core/md5.h"
#include "platform/file_system.h"

namespace tav::bench {
namespace {

constexpr uint64_t kFileBytes = 512ull << 20;
constexpr const char* kFile = "C:\\Bench\\big.bin";

struct Results {
  double ours = 0;
  double tool = 0;
  std::string our_digest;
  std::string tool_digest;
};
Results g_results;
std::string g_host_file;

double MegabytesPerSecond(double seconds) {
  return kFileBytes / 1048576.0 / seconds;
}

void BM_MD5File(benchmark::State& state) {
  for (auto _ : state) {
    const double start = Seconds();
    Md5Digest digest{};
    if (!MD5File(kFile, &digest)) {
      state.SkipWithError("MD5File failed");
      break;
    }
    g_results.ours = Seconds() - start;
    g_results.our_digest = MD5DigestToHex(digest);
    state.SetIterationTime(g_results.ours);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFileBytes));
}

void BM_OpensslMd5(benchmark::State& state) {
  for (auto _ : state) {
    const double start = Seconds();
    const std::string output = RunCommand("openssl md5 -r '" + g_host_file + "'");
    g_results.tool = Seconds() - start;
    if (output.size() < 32) {
      state.SkipWithError("openssl md5 failed");
      break;
    }
    g_results.tool_digest = output.substr(0, 32);
    state.SetIterationTime(g_results.tool);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFileBytes));
}

BENCHMARK(BM_MD5File)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpensslMd5)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void PrintSummary() {
  if (g_results.ours <= 0 || g_results.tool <= 0)
    return;
  std::printf("MD5File      %8.1f MB/s (%.3f s)\n", MegabytesPerSecond(g_results.ours),
              g_results.ours);
  std::printf("openssl md5  %8.1f MB/s (%.3f s, process start included)\n",
              MegabytesPerSecond(g_results.tool), g_results.tool);
  std::printf("ratio        %8.3f of openssl's throughput (goal >= 0.9)\n",
              g_results.tool / g_results.ours);
  std::printf("digests      %s\n",
              g_results.our_digest == g_results.tool_digest ? "agree" : "DIFFER");
}

}  // namespace
}  // namespace tav::bench

int main(int argc, char** argv) {
  using namespace tav::bench;
  benchmark::Initialize(&argc, argv);
  BenchMachine machine;
  if (!machine.ok() || !tav::platform::CreateDirectory("C:\\Bench"))
    return 1;
  g_host_file = machine.Host(kFile);
  std::printf("writing %llu MB of random bytes...\n",
              static_cast<unsigned long long>(kFileBytes >> 20));
  if (!WriteRandomFile(g_host_file, kFileBytes))
    return 1;
  benchmark::RunSpecifiedBenchmarks();
  PrintSummary();
  benchmark::Shutdown();
  return 0;
}
