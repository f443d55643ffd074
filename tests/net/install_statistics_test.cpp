// Installation records sent to the service (and marked as sent) through the
// statistics upload thread, against tavrolin-service on 127.0.0.1.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <ostream>
#include <string>

#include "core/date_time.h"
#include "core/folders.h"
#include "core/ini_file.h"
#include "core/process_flags.h"
#include "net/install_statistics.h"
#include "net/upload_thread.h"
#include "tests/net/report_fixture.h"
#include "tests/tools/dbtool_run.h"

namespace tav::testing {
namespace {

std::string DaysAgo(int days) {
  const DateParts d = DecodeDateTime(Now() - days);
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.year, d.month, d.day);
  return text;
}

struct Record {
  const char* upload;
  const char* allow_upload;
  int base_age_days;
};

class InstallStatisticsTest : public ReportTest {
 protected:
  void SetUp() override {
    ReportTest::SetUp();
    SetForceStopWaiting(false);
  }

  // Switches statistics sending on or off, as the program's start does.
  void SendSwitch(bool on) { InitParams("Tavrolin", "", "", on); }

  std::string RecordPath(const std::string& name) const { return GetFolders().core_work + name; }

  void WriteRecord(const std::string& name, const Record& r) {
    pc_->WriteFile(RecordPath(name), std::string("[Settings]\r\nUpload=") + r.upload +
                                         "\r\nAllowUpload=" + r.allow_upload +
                                         "\r\nBase=" + DaysAgo(r.base_age_days) +
                                         "\r\nDevice=PCI\\VEN_8086&DEV_1C3A\r\n");
  }
  std::string Value(const std::string& name, const char* key) const {
    return TMemIniFile(RecordPath(name)).ReadString("Settings", key, "<none>");
  }
  void Finish() { ASSERT_TRUE(WaitForUploadThreads(10000)); }
};

// One record through UploadToInstallStat and its thread; what ends on the
// record and at the service.
struct RecordCase {
  const char* name;
  Record record;
  bool send_switch;
  const char* upload_after;
  bool upload_time_written;
  bool arrives;
  const char* log;  // a log line part expected, or nullptr
};

// The row's name in place of its bytes when a case fails.
void PrintTo(const RecordCase& c, std::ostream* os) {
  *os << c.name;
}

const RecordCase kRecordCases[] = {
    {"SwitchOffMarksSentWithoutTraffic", {"1", "1", 3}, false, "0", true, false, nullptr},
    {"SwitchOnSendsAndMarksSent", {"1", "1", 3}, true, "0", true, true, nullptr},
    {"NoPermissionIsOnlyMarked", {"1", "0", 3}, true, "0", false, false, nullptr},
    {"OldDatabaseIsOnlyMarked", {"1", "1", 61}, true, "0", false, false, "Old database"},
    {"DatabaseOfFiftyNineDaysIsSent", {"1", "1", 59}, true, "0", true, true, nullptr},
    {"AlreadySentIsLeftAlone", {"0", "1", 3}, true, "0", false, false, nullptr},
};

class RecordCaseTest : public InstallStatisticsTest,
                       public ::testing::WithParamInterface<RecordCase> {};

TEST_P(RecordCaseTest, TheRecordEndsAsItsSettingsSay) {
  const RecordCase& c = GetParam();
  SendSwitch(c.send_switch);
  WriteRecord("1.dul", c.record);
  UploadToInstallStat("1.dul");
  Finish();

  EXPECT_EQ(Value("1.dul", "Upload"), c.upload_after);
  EXPECT_EQ(Value("1.dul", "UploadTime") != "<none>", c.upload_time_written);
  const std::vector<std::string> stored = Uploaded("driverstats");
  if (c.arrives) {
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0], "0001-file-1.dul");
    // The record goes as it was saved just before, its upload time included.
    const std::string sent = UploadedBytes("driverstats", stored[0]);
    EXPECT_NE(sent.find("UploadTime="), std::string::npos) << sent;
    EXPECT_NE(sent.find("Upload=1"), std::string::npos) << sent;
    const std::vector<AccessLine> access = AccessFor("/rpc/senddriverstats", 1);
    ASSERT_EQ(access.size(), 1u);
    EXPECT_EQ(access[0].method, "POST");
    EXPECT_EQ(access[0].agent, "Mozilla/3.0 (compatible; Indy Library)");
  } else {
    EXPECT_TRUE(stored.empty());
    EXPECT_TRUE(service_->AccessFor("/rpc/senddriverstats").empty());
  }
  if (c.log != nullptr) {
    EXPECT_TRUE(HasLog(c.log)) << LogText();
  }
  EXPECT_FALSE(HasLog("Ini.UpdateFile fail")) << LogText();
}

INSTANTIATE_TEST_SUITE_P(Records,
                         RecordCaseTest,
                         ::testing::ValuesIn(kRecordCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(InstallStatisticsTest, OldDatabaseLogsItsBaseText) {
  WriteRecord("old.dul", {"1", "1", 61});
  UploadToInstallStat("old.dul");
  EXPECT_TRUE(HasLog("UploadToInstallStat")) << LogText();
  EXPECT_TRUE(HasLog(DaysAgo(61))) << LogText();
}

TEST_F(InstallStatisticsTest, AMissingRecordIsLoggedAndNothingIsSent) {
  UploadToInstallStat("gone.dul");
  Finish();
  EXPECT_TRUE(HasLog("File not found")) << LogText();
  EXPECT_FALSE(PcFileExists(RecordPath("gone.dul")));
}

// A failed POST is silent and leaves the record pending for the next start.
// A redirect is no proof of arrival: it is not followed.
struct FailedPostCase {
  const char* name;
  bool closed_host;  // else the service answers with the status
  int status;
};

// The row's name in place of its bytes when a case fails.
void PrintTo(const FailedPostCase& c, std::ostream* os) {
  *os << c.name;
}

class FailedPostTest : public InstallStatisticsTest,
                       public ::testing::WithParamInterface<FailedPostCase> {};

TEST_P(FailedPostTest, TheRecordStaysPendingWithoutALogLine) {
  SendSwitch(true);
  if (GetParam().closed_host) {
    SetHosts(kClosedHost, host());
  } else {
    Faults({{{"path", "/rpc/senddriverstats"}, {"status", GetParam().status}}});
  }
  WriteRecord("1.dul", {"1", "1", 3});
  UploadToInstallStat("1.dul");
  Finish();
  EXPECT_EQ(Value("1.dul", "Upload"), "1");
  EXPECT_FALSE(HasLog("TUploadThread")) << LogText();
}

INSTANTIATE_TEST_SUITE_P(Posts,
                         FailedPostTest,
                         ::testing::Values(FailedPostCase{"ServiceAnswers500", false, 500},
                                           FailedPostCase{"ServiceRedirects", false, 302},
                                           FailedPostCase{"NobodyListens", true, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

// The save is retried once; both failures are logged with the system's error.
TEST_F(InstallStatisticsTest, ARecordThatCannotBeSavedIsLoggedWithItsError) {
  SendSwitch(false);
  WriteRecord("1.dul", {"1", "1", 3});
  // The temporary file of the save cannot be made where a folder stands.
  std::filesystem::create_directories(pc_->Host(RecordPath("1.dul.saving")));
  UploadToInstallStat("1.dul");
  Finish();
  int logged = 0;
  for (const std::string& line : Log()) {
    if (line.find("Ini.UpdateFile fail") == std::string::npos)
      continue;
    ++logged;
    EXPECT_NE(line.find("LAST_ERR (5,"), std::string::npos) << line;  // access denied
  }
  // Two in UploadToInstallStat, two more in the thread marking it sent.
  EXPECT_EQ(logged, 4) << LogText();
  EXPECT_TRUE(HasLog("Ini.UpdateFile fail 3.2")) << LogText();
  EXPECT_TRUE(HasLog("Ini.UpdateFile fail 2")) << LogText();
  EXPECT_EQ(Value("1.dul", "Upload"), "1");
}

TEST_F(InstallStatisticsTest, ForceStopWaitingStampsTheRecordButStartsNoThread) {
  SendSwitch(true);
  SetForceStopWaiting(true);
  WriteRecord("1.dul", {"1", "1", 3});
  UploadToInstallStat("1.dul");
  EXPECT_EQ(UploadThreadCount(), 0);
  SetForceStopWaiting(false);
  EXPECT_NE(Value("1.dul", "UploadTime"), "<none>");
  EXPECT_EQ(Value("1.dul", "Upload"), "1");
  EXPECT_TRUE(Uploaded("driverstats").empty());
}

TEST_F(InstallStatisticsTest, TheStartResendsEveryPendingRecordAndOnlyThose) {
  SendSwitch(true);
  WriteRecord("a.dul", {"1", "1", 3});
  WriteRecord("b.dul", {"1", "1", 3});
  WriteRecord("sent.dul", {"0", "1", 3});
  const std::string sent_before = pc_->ReadFile(RecordPath("sent.dul"));
  CheckUploadToInstallStat();
  Finish();

  EXPECT_TRUE(HasLog("Re-uploading a.dul")) << LogText();
  EXPECT_TRUE(HasLog("Re-uploading b.dul")) << LogText();
  EXPECT_FALSE(HasLog("Re-uploading sent.dul")) << LogText();
  EXPECT_EQ(Value("a.dul", "Upload"), "0");
  EXPECT_EQ(Value("b.dul", "Upload"), "0");
  EXPECT_EQ(pc_->ReadFile(RecordPath("sent.dul")), sent_before);
  EXPECT_EQ(Uploaded("driverstats").size(), 2u);
}

// The program's own start resends what is pending; its switch is off, so
// the record is only marked sent and nothing reaches the service.
TEST_F(InstallStatisticsTest, TheProgramsStartMarksPendingRecordsWithoutSending) {
  WriteRecord("1.dul", {"1", "1", 3});
  const ProgramResult run = RunProgram("tavrolin-cli", {"devices"}, pc_->root());
  ASSERT_EQ(run.exit_code, 0) << run.out << run.err;
  EXPECT_EQ(Value("1.dul", "Upload"), "0");
  EXPECT_NE(Value("1.dul", "UploadTime"), "<none>");
  EXPECT_TRUE(Uploaded("driverstats").empty());
  EXPECT_TRUE(service_->AccessFor("/rpc/senddriverstats").empty());
}

}  // namespace
}  // namespace tav::testing
