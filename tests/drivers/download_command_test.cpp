// tavrolin-cli download run as a process on a virtual PC that a real scan
// left its result files on, against tavrolin-service on 127.0.0.1: every
// package or some by key, the summary and exit codes, and Ctrl-C keeping
// the partial file that the next run resumes.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "core/date_time.h"
#include "core/folders.h"
#include "core/ini_file.h"
#include "devices/device_list.h"
#include "drivers/download_status_file.h"
#include "matching/driver_database.h"
#include "matching/driver_result.h"
#include "matching/snapshot_collector.h"
#include "platform/file_system.h"
#include "tests/drivers/download_fixture.h"
#include "tests/matching/test_database.h"

extern char** environ;

namespace tav::testing {
namespace {

using nlohmann::json;
using ::testing::HasSubstr;
using ::testing::Not;
using Clock = std::chrono::steady_clock;

constexpr int kRunTimeoutMs = 90000;

std::string PciId(const std::string& device) {
  return "PCI\\VEN_8086&DEV_" + device + "&SUBSYS_21FA17AA&REV_04";
}

json PciDevice(const std::string& device,
               const std::string& setup_class,
               const std::string& description) {
  return {{"instance_id", PciId(device) + "\\3&11583659&0&" + device},
          {"class", setup_class},
          {"hardware_ids", {PciId(device), "PCI\\VEN_8086&DEV_" + device}},
          {"description", description},
          {"manufacturer", "Intel"},
          {"driver",
           {{"provider", "Intel"},
            {"version", "1.0.0.0"},
            {"date", "2011-01-01"},
            {"inf_path", "oem" + device + ".inf"},
            {"inf_section", "Install"},
            {"description", description}}}};
}

struct CliRun {
  int exit_code = -1;
  std::string out;
  std::string err;
};

// tavrolin-cli on the test's PC; stdout and stderr go to files, so the
// command prints plain lines.
class CliProcess {
 public:
  CliProcess(const std::string& machine, const std::vector<std::string>& args) {
    folder_ = machine + "/cli-run-" + std::to_string(++runs_);
    mkdir(folder_.c_str(), 0755);
    std::vector<std::string> command = {ToolsFolder() + "/tavrolin-cli"};
    command.insert(command.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : command)
      argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> env_text = {"TAVROLIN_MACHINE=" + machine};
    for (char** e = environ; *e; ++e) {
      if (std::string(*e).rfind("TAVROLIN_MACHINE=", 0) != 0)
        env_text.push_back(*e);
    }
    std::vector<char*> env;
    for (std::string& e : env_text)
      env.push_back(e.data());
    env.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, (folder_ + "/out").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, (folder_ + "/err").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), env.data()) != 0)
      pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~CliProcess() {
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  static std::string ToolsFolder() {
    const char* tools = getenv("TAVROLIN_TOOLS");
    return tools && *tools ? tools : ".";
  }
  bool ok() const { return pid_ > 0; }
  void Interrupt() const { kill(pid_, SIGINT); }
  // Waits for the end, killing the program after the timeout.
  CliRun Finish() {
    int status = 0;
    const auto end = Clock::now() + std::chrono::milliseconds(kRunTimeoutMs);
    while (!exited_ && Clock::now() < end) {
      exited_ = waitpid(pid_, &status, WNOHANG) == pid_;
      if (!exited_)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
      exited_ = true;
    }
    CliRun run;
    run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ServiceContent::ReadHostFile(folder_ + "/out");
    run.err = ServiceContent::ReadHostFile(folder_ + "/err");
    return run;
  }

 private:
  static inline int runs_ = 0;
  std::string folder_;
  pid_t pid_ = -1;
  bool exited_ = false;
};

class DownloadCommandTest : public DownloadTest {
 protected:
  json Profile() const override {
    return {{"devices", json::array({PciDevice("0166", "Display", "Intel(R) HD Graphics 4000"),
                                     PciDevice("1E20", "MEDIA", "High Definition Audio")})}};
  }
  void SetUp() override {
    DownloadTest::SetUp();
    if (HasFatalFailure())
      return;
    video_ = content_.AddPackage("300_intel_hd.zip", 3 << 20, 21);
    audio_ = content_.AddPackage("500_av.zip", 400000, 22);
    MakeDriverDatabase(DefaultDatabasePath(),
                       {PackageOffer("0166", "300_intel_hd.zip", Md5Hex(video_)),
                        PackageOffer("1E20", "500_av.zip", Md5Hex(audio_))},
                       {{"date", "2015-10-01"}, {"plain", "0"}}, {{"8086", "INTEL"}});
    ResetSnapshotCollector();
    ASSERT_TRUE(GenerateDevicesList("Devices.ini", [] { CreateBaseIndexes(); }));
    GenerateDriverResult(0, ScanPaths(), "", [](int, const std::string&, bool*, int, int, int) {});
    ASSERT_TRUE(platform::FileExists(GetFolders().core_work + "intel_hd.zip.pre"));
    ASSERT_TRUE(platform::FileExists(GetFolders().core_work + "av.zip.pre"));
  }
  static testing::Offer PackageOffer(const std::string& device,
                                     const std::string& file,
                                     const std::string& md5) {
    testing::Offer o;
    o.id = PciId(device);
    o.version = "2.0.0.0";
    o.date = "2014-03-02";
    o.file = file;
    o.hash = md5;
    o.file_description = "Intel driver";
    return o;
  }
  CliRun Cli(const std::vector<std::string>& args) {
    CliProcess cli(pc_->root(), args);
    EXPECT_TRUE(cli.ok());
    return cli.Finish();
  }
  std::string HostFile(const std::string& windows_path) const { return pc_->Host(windows_path); }
  // Bytes of a host file, 0 when missing.
  static off_t SizeOf(const std::string& host_path) {
    struct stat st {};
    return stat(host_path.c_str(), &st) == 0 ? st.st_size : 0;
  }

  std::string video_, audio_;
};

TEST_F(DownloadCommandTest, DownloadsEveryPackageOfTheResultList) {
  const CliRun run = Cli({"download", "--all"});
  EXPECT_EQ(run.exit_code, 0) << run.out << run.err;
  EXPECT_THAT(run.out, HasSubstr("Downloading 2 driver package(s), 3 at a time"));
  EXPECT_THAT(run.out, HasSubstr("intel_hd.zip: Queued\n"));
  EXPECT_THAT(run.out, HasSubstr("intel_hd.zip: Preparing\n"));
  EXPECT_THAT(run.out, HasSubstr("intel_hd.zip: Downloaded\n"));
  EXPECT_THAT(run.out, HasSubstr("av.zip: Downloaded\n"));
  EXPECT_THAT(run.out, HasSubstr("Downloaded 2 of 2 package(s); failed: 0"));
  EXPECT_TRUE(SameBytes(ReadPcFile(Target("intel_hd.zip")), video_));
  EXPECT_TRUE(SameBytes(ReadPcFile(Target("av.zip")), audio_));
  const std::string today = std::to_string(static_cast<int64_t>(std::floor(Today())));
  EXPECT_EQ(TMemIniFile(PackageStatusPath("av.zip")).ReadString("Settings", "Downloaded", ""),
            today);
}

TEST_F(DownloadCommandTest, OnlyThePackagesNamedByKey) {
  const CliRun run = Cli({"download", "av.zip"});
  EXPECT_EQ(run.exit_code, 0) << run.out << run.err;
  EXPECT_THAT(run.out, HasSubstr("Downloaded 1 of 1 package(s)"));
  EXPECT_TRUE(platform::FileExists(Target("av.zip")));
  EXPECT_FALSE(platform::FileExists(Target("intel_hd.zip")));
  EXPECT_TRUE(service_->AccessFor("/downloads/300_intel_hd.zip").empty());

  const CliRun again = Cli({"download", "av.zip"});
  EXPECT_EQ(again.exit_code, 0) << again.out << again.err;
  EXPECT_THAT(again.out, HasSubstr("av.zip: Downloaded (already in the download folder)"));
}

TEST_F(DownloadCommandTest, AnUnknownKeyOrNoChoiceDownloadsNothing) {
  const CliRun unknown = Cli({"download", "av.zip", "nosuch.zip"});
  EXPECT_EQ(unknown.exit_code, 1);
  EXPECT_THAT(unknown.err, HasSubstr("no driver package \"nosuch.zip\" in the result list"));
  EXPECT_FALSE(platform::FileExists(Target("av.zip")));
  EXPECT_EQ(Cli({"download"}).exit_code, 2);
  EXPECT_EQ(Cli({"download", "--all", "av.zip"}).exit_code, 2);
}

TEST_F(DownloadCommandTest, AFailedPackageMakesTheExitCodeOne) {
  Faults({{{"path", "/downloads/500_av.zip"}, {"method", "GET"}, {"corrupt", true}}});
  const CliRun run = Cli({"download", "--all"});
  EXPECT_EQ(run.exit_code, 1) << run.out << run.err;
  EXPECT_THAT(run.out, HasSubstr("av.zip: Failed\n"));
  EXPECT_THAT(run.out, HasSubstr("Downloaded 1 of 2 package(s); failed: 1"));
  EXPECT_THAT(run.out, HasSubstr("See the log: "));
}

TEST_F(DownloadCommandTest, CtrlCKeepsThePartialFileAndTheNextRunResumesIt) {
  // The service stalls after 1 MB, so Ctrl-C arrives mid-way.
  Faults({{{"path", "/downloads/300_intel_hd.zip"},
           {"method", "GET"},
           {"delay_after", 1 << 20},
           {"delay_ms", 1500}}});
  const std::string partial = HostFile(Target("intel_hd.zip") + ".downloading");
  CliRun run;
  {
    CliProcess cli(pc_->root(), {"download", "intel_hd.zip"});
    ASSERT_TRUE(cli.ok());
    const auto end = Clock::now() + std::chrono::milliseconds(kRunTimeoutMs);
    while (SizeOf(partial) < (1 << 20) && Clock::now() < end)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_GE(SizeOf(partial), 1 << 20);
    cli.Interrupt();
    run = cli.Finish();
  }
  EXPECT_EQ(run.exit_code, 130) << run.out << run.err;
  EXPECT_THAT(run.out, HasSubstr("intel_hd.zip: Cancelled, "));
  EXPECT_THAT(run.out, HasSubstr("the next download resumes them"));
  EXPECT_FALSE(platform::FileExists(Target("intel_hd.zip")));
  const off_t kept = SizeOf(partial);
  ASSERT_GE(kept, 1 << 20);
  ASSERT_LT(kept, 3 << 20);

  ASSERT_TRUE(service_->ClearFaults());
  const CliRun again = Cli({"download", "intel_hd.zip"});
  EXPECT_EQ(again.exit_code, 0) << again.out << again.err;
  EXPECT_TRUE(SameBytes(ReadPcFile(Target("intel_hd.zip")), video_));
  const std::vector<AccessLine> access = AccessFor("/downloads/300_intel_hd.zip", 4);
  EXPECT_NE(FindAccess(access, "GET", "bytes=" + std::to_string(kept) + "-"), nullptr);
}

}  // namespace
}  // namespace tav::testing
