// The whole package download path — a TDownloadThread waiting for its slot,
// fetching a 256 MB package from tavrolin-service on 127.0.0.1 into the
// download folder and reporting to a row whose progress runs on the main
// thread — next to `curl -s -o FILE` of the same file from the same service,
// in the same run. The package is measured twice: without an MD5 in its
// entry (the transfer path alone, as curl does it) and with one (the check
// reads the whole file again, so it is set beside curl followed by md5sum).
// Each side runs three times; the best run counts. Goal: at least 0.8 of
// curl's throughput.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_machine.h"
#include "bench/bench_service.h"
#include "core/folders.h"
#include "core/log_engine.h"
#include "core/main_thread.h"
#include "core/md5.h"
#include "core/settings.h"
#include "core/settings_access.h"
#include "drivers/download_row.h"
#include "drivers/download_thread.h"
#include "drivers/package_key.h"
#include "net/service_hosts.h"
#include "platform/file_system.h"

namespace tav::bench {
namespace {

namespace fs = std::filesystem;

constexpr uint64_t kPackageBytes = 256ull << 20;
constexpr const char* kFileName = "999_bench_package.zip";

struct Side {
  double best = 1e9;  // seconds
  int64_t reports = 0;
};
Side g_plain, g_checked, g_curl, g_curl_md5sum;
std::string g_host;       // 127.0.0.1:PORT
std::string g_md5;        // of the package
std::string g_curl_file;  // host path of curl's copy

// Counts what reaches it; every call runs on the main thread.
class BenchRow : public DownloadRow {
 public:
  explicit BenchRow(const std::string& md5) {
    package_.FileName = kFileName;
    package_.Key = PackageKey(kFileName);
    package_.Md5Hash = md5;
  }
  const TDriverPackageEntry& Package() const override { return package_; }
  void SetProgressMaximum(int32_t) override {}
  void SetProgressPosition(int32_t position) override {
    ++reports;
    last = position;
  }
  void SetProgressCaption(const std::string& text) override { caption = text; }
  void ShowDownloaded() override { downloaded = true; }
  void ShowNotDownloaded() override {}
  void RefreshSummary() override {}
  void CountFailedDownload() override {}
  bool IsGone() const override { return false; }
  void DownloadThreadEnded(const TDownloadThread*) override {
    thread = nullptr;
    ended_at = Seconds();
  }

  TDownloadThread* thread = nullptr;
  double ended_at = 0;
  int64_t reports = 0;
  int32_t last = 0;
  std::string caption;
  bool downloaded = false;

 private:
  TDriverPackageEntry package_;
};

std::string Target() {
  return TDownloadThread::TargetFile(PackageKey(kFileName));
}

// One download from the row's request to the thread's end as the row sees
// it; seconds, or a negative value when the package did not arrive whole.
double DownloadOnce(const std::string& md5, int64_t* reports) {
  platform::DeleteFile(Target());
  BenchRow row(md5);
  const double start = Seconds();
  row.thread = new TDownloadThread(&row);
  row.thread->Start();
  MainThread::RunLoop([] { return DownloadThreadCount() == 0; }, 50);
  // The row hears of the end at once; the loop may notice it a poll later.
  const double seconds = row.ended_at - start;
  *reports = row.reports;
  return row.downloaded && row.last == static_cast<int32_t>(kPackageBytes) ? seconds : -1;
}

void RunThread(benchmark::State& state, const std::string& md5, Side* side) {
  for (auto _ : state) {
    int64_t reports = 0;
    const double seconds = DownloadOnce(md5, &reports);
    if (seconds < 0) {
      state.SkipWithError("the download failed");
      break;
    }
    side->best = std::min(side->best, seconds);
    side->reports = reports;
    state.SetIterationTime(seconds);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kPackageBytes));
}

void BM_DownloadThread(benchmark::State& state) {
  RunThread(state, "", &g_plain);
}
void BM_DownloadThreadWithMd5(benchmark::State& state) {
  RunThread(state, g_md5, &g_checked);
}

void BM_CurlO(benchmark::State& state) {
  const std::string url = std::string("http://") + g_host + "/downloads/" + kFileName;
  for (auto _ : state) {
    fs::remove(g_curl_file);
    const double start = Seconds();
    const int rc = std::system(("curl -s -o '" + g_curl_file + "' '" + url + "'").c_str());
    const double seconds = Seconds() - start;
    std::error_code ec;
    if (rc != 0 || fs::file_size(g_curl_file, ec) != kPackageBytes) {
      state.SkipWithError("curl failed");
      break;
    }
    g_curl.best = std::min(g_curl.best, seconds);
    state.SetIterationTime(seconds);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kPackageBytes));
}

// The same work as the checked download: curl's copy, then md5sum reading it.
void BM_CurlOThenMd5sum(benchmark::State& state) {
  const std::string url = std::string("http://") + g_host + "/downloads/" + kFileName;
  for (auto _ : state) {
    fs::remove(g_curl_file);
    const double start = Seconds();
    const int rc = std::system(("curl -s -o '" + g_curl_file + "' '" + url + "' && md5sum '" +
                                g_curl_file + "' >/dev/null")
                                   .c_str());
    const double seconds = Seconds() - start;
    if (rc != 0) {
      state.SkipWithError("curl or md5sum failed");
      break;
    }
    g_curl_md5sum.best = std::min(g_curl_md5sum.best, seconds);
    state.SetIterationTime(seconds);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kPackageBytes));
}

BENCHMARK(BM_CurlO)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DownloadThread)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DownloadThreadWithMd5)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CurlOThenMd5sum)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

double MegabytesPerSecond(double seconds) {
  return kPackageBytes / 1048576.0 / seconds;
}

void PrintSide(const char* name, const Side& side) {
  std::printf("%-28s %8.1f MB/s (%.3f s, %lld progress reports on the main thread)\n", name,
              MegabytesPerSecond(side.best), side.best, static_cast<long long>(side.reports));
}

void PrintSummary() {
  if (g_plain.best >= 1e9 || g_checked.best >= 1e9 || g_curl.best >= 1e9)
    return;
  PrintSide("TDownloadThread, no MD5", g_plain);
  PrintSide("TDownloadThread, MD5 check", g_checked);
  std::printf("%-28s %8.1f MB/s (%.3f s, process start included)\n", "curl -o",
              MegabytesPerSecond(g_curl.best), g_curl.best);
  std::printf("ratio, no MD5                %8.3f of curl's throughput (goal >= 0.8)\n",
              g_curl.best / g_plain.best);
  std::printf("ratio, MD5 check             %8.3f of curl's throughput\n",
              g_curl.best / g_checked.best);
  if (g_curl_md5sum.best < 1e9) {
    std::printf("%-28s %8.1f MB/s (%.3f s)\n", "curl -o, then md5sum",
                MegabytesPerSecond(g_curl_md5sum.best), g_curl_md5sum.best);
    std::printf("ratio, MD5 check            %8.3f of curl -o + md5sum (goal >= 0.8)\n",
                g_curl_md5sum.best / g_checked.best);
  }
  Md5Digest digest;
  const bool same = MD5File(Target(), &digest) && MD5DigestToHex(digest) == g_md5;
  std::printf("files                        %s\n", same ? "agree" : "DIFFER");
}

// The package under the service's content folder (C:\Bench\service on the PC).
bool Prepare(const std::string& content) {
  if (!WriteRandomFile(content + "/downloads/" + kFileName, kPackageBytes))
    return false;
  Md5Digest digest;
  if (!MD5File("C:\\Bench\\service\\downloads\\" + std::string(kFileName), &digest))
    return false;
  g_md5 = MD5DigestToHex(digest);
  return true;
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
  if (!Prepare(content))
    return 1;
  const BenchService service(content);
  if (!service.ok()) {
    std::fprintf(stderr, "tavrolin-service did not start from %s\n", BenchService::Path().c_str());
    return 1;
  }
  g_host = service.host();
  tav::LoadProductValues();
  tav::RegWriteString(tav::kSettingsRoot, tav::kSettingsKey, "ServiceHost", g_host);
  tav::LoadServiceHosts();
  tav::XLog::Init(tav::GetFolders().core_work);
  benchmark::RunSpecifiedBenchmarks();
  tav::XLog::Stop();
  PrintSummary();
  benchmark::Shutdown();
  return 0;
}
