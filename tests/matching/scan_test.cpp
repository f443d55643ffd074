// The scan of virtual PCs against small driver databases: the result files,
// the per-device decisions that reach them, and the job's reports.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "core/folders.h"
#include "core/ini_file.h"
#include "core/log_engine.h"
#include "core/main_thread.h"
#include "devices/device_list.h"
#include "devices/device_properties.h"
#include "matching/driver_database.h"
#include "matching/driver_result.h"
#include "matching/generate_job.h"
#include "matching/snapshot_collector.h"
#include "platform/file_system.h"
#include "tests/matching/test_database.h"
#include "tests/support/temp_machine.h"

namespace tav {
namespace {

using nlohmann::json;
using ::testing::Contains;
using ::testing::HasSubstr;

constexpr const char* kCard = "PCI\\VEN_8086&DEV_1502&SUBSYS_04AA1028&REV_04\\3&11583659&0&C8";
constexpr const char* kCardId = "PCI\\VEN_8086&DEV_1502&SUBSYS_04AA1028&REV_04";

json IntelCard(const std::string& instance = kCard) {
  return {{"instance_id", instance},
          {"class", "Net"},
          {"hardware_ids", {kCardId, "PCI\\VEN_8086&DEV_1502&SUBSYS_04AA1028", "PCI\\VEN_8086&DEV_1502"}},
          {"compatible_ids", {"PCI\\VEN_8086&CC_020000"}},
          {"description", "Intel(R) 82579LM Gigabit Network Connection"},
          {"manufacturer", "Intel"},
          {"driver",
           {{"provider", "Intel"},
            {"version", "11.15.16.0"},
            {"date", "2011-10-21"},
            {"inf_path", "oem12.inf"},
            {"inf_section", "E1502.6.1.1"},
            {"description", "Intel(R) 82579LM Gigabit Network Connection"}}}};
}

testing::Offer CardOffer(const std::string& version, const std::string& date,
                         const std::string& file = "100_intel_lan.zip") {
  testing::Offer o;
  o.id = kCardId;
  o.version = version;
  o.date = date;
  o.vendor = "INTEL";
  o.file = file;
  o.hash = std::string(32, file.back() == 'p' ? 'a' : 'b');
  o.device_description = "Intel(R) 82579LM Gigabit Network Connection";
  o.file_description = "Intel network driver";
  return o;
}

class ScanTest : public ::testing::Test {
 protected:
  void Prepare(const json& devices, const std::vector<testing::Offer>& offers,
               json overrides = json::object()) {
    overrides["devices"] = devices;
    pc_ = std::make_unique<testing::TempMachine>(overrides);
    MainThread::Init();
    MainThread::Restart();
    GetFolders() = Folders();
    ResolveFixedFolders();
    InitParams("Tavrolin", "", "", false);
    XLog::Init(GetFolders().core_work);
    ResetSnapshotCollector();
    testing::MakeDriverDatabase(DefaultDatabasePath(), offers, {{"date", "2015-10-01"}, {"plain", "0"}},
                                {{"8086", "INTEL"}});
  }
  void TearDown() override { XLog::Stop(); }

  // The device list and the scan on this thread; the reports collected.
  void Scan(const std::function<bool(int, int)>& cancel_at = {}) {
    ASSERT_TRUE(GenerateDevicesList("Devices.ini", [] { CreateBaseIndexes(); }));
    GenerateDriverResult(0, ScanPaths(), "", [&](int code, const std::string&, bool* cancel, int total,
                                                 int found, int processed) {
      codes_.push_back(code);
      last_found_ = found;
      last_total_ = total;
      if (cancel_at && code == kScanDevice) *cancel = cancel_at(code, processed);
    });
  }
  TMemIniFile Work(const char* name) { return TMemIniFile(GetFolders().core_work + name); }
  std::vector<std::string> PlusLines() {
    const std::string text = pc_->ReadFile(GetFolders().core_work + "DevicesPlus.ini");
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
      const size_t end = text.find("\r\n", start);
      lines.push_back(text.substr(start, end - start));
      start = end == std::string::npos ? text.size() : end + 2;
    }
    return lines;
  }

  std::unique_ptr<testing::TempMachine> pc_;
  std::vector<int> codes_;
  int last_found_ = -1;
  int last_total_ = -1;
};

TEST_F(ScanTest, ANewerDriverIsOfferedWithEveryKey) {
  Prepare(json::array({IntelCard()}), {CardOffer("12.10.29.0", "2014-03-02")});
  Scan();
  EXPECT_EQ(codes_, (std::vector<int>{kScanDevice, kScanEnded}));
  EXPECT_EQ(last_found_, 1);
  const TMemIniFile scan = Work("Scan.ini");
  EXPECT_THAT(scan.ReadSection("Settings"),
              ::testing::ElementsAre("Program", "ProgramCreated", "Generated", "GeneratedTime",
                                     "GeneratedRaw", "Windows", "x64", "Version", "Base", "TimeToGenerate"));
  EXPECT_EQ(scan.ReadString("Settings", "Base", ""), "2015-10-01");
  EXPECT_THAT(scan.ReadSection("1"),
              ::testing::ElementsAre("DeviceName", "FName", "PackageName", "AltFName", "Date1", "Date1Raw",
                                     "Date2", "Vendor", "Version1", "Version2", "Installer", "Description",
                                     "Class", "ClassName", "ClassGUID", "InfPath", "InfSection",
                                     "IsConnected", "HardId", "HardIdRaw", "Md5Hash", "FullHID",
                                     "DeviceIniSection", "EnumKey", "ClassKey", "BaseDate", "IsPending",
                                     "IsSystemDriver"));
  auto v = [&](const char* key) { return scan.ReadString("1", key, "<absent>"); };
  EXPECT_EQ(v("DeviceName"), "Intel(R) 82579LM Gigabit Network Connection");
  EXPECT_EQ(v("FName"), "100_intel_lan.zip");
  EXPECT_EQ(v("PackageName"), "intel_lan.zip");
  EXPECT_EQ(v("Date1"), "10-21-2011");
  EXPECT_EQ(v("Date2"), "03-02-2014");
  EXPECT_EQ(v("Version1"), "11.15.16.0");
  EXPECT_EQ(v("Version2"), "12.10.29.0");
  EXPECT_EQ(v("Vendor"), "INTEL");
  EXPECT_EQ(v("Installer"), "driver\\driver.inf");
  EXPECT_EQ(v("HardId"), "PCI\\\\VEN_8086&DEV_1502&SUBSYS_04AA1028&REV_04");
  EXPECT_EQ(v("HardIdRaw"), kCardId);
  EXPECT_EQ(v("FullHID"), "1");
  EXPECT_EQ(v("DeviceIniSection"), "0");
  EXPECT_EQ(v("EnumKey"), kCard);
  EXPECT_EQ(v("IsPending"), "0");
  EXPECT_EQ(v("IsSystemDriver"), "0");
  const std::vector<std::string> plus = PlusLines();
  EXPECT_THAT(plus, Contains("Status=Success"));
  // The complete ID's row and the reduced ID's row of the same offer.
  EXPECT_THAT(plus, Contains("Count=2"));
  EXPECT_THAT(plus, Contains("Winner=0"));
  EXPECT_THAT(plus, Contains("[0-drv-1]"));
  EXPECT_THAT(plus, Contains("HID=PCI\\\\VEN_8086&DEV_1502"));
  EXPECT_THAT(plus, Contains("WinnerHash=" + std::string(32, 'a') + "_PCI\\\\VEN_8086&DEV_1502&SUBSYS_04AA1028&REV_04_INTEL"));
  EXPECT_THAT(plus, Contains("[0-drv-0]"));
  EXPECT_THAT(plus, Contains("FoundByVersion=1"));
  EXPECT_THAT(plus, Contains("DeviceVersion=11.15.16.0"));
  // The driver's own parameters went into the device list.
  const TMemIniFile devices = Work("Devices.ini");
  EXPECT_EQ(devices.ReadString("0", "DrvProvider", ""), "Intel");
  EXPECT_EQ(devices.ReadString("0", "DrvDriverVersion", ""), "11.15.16.0");
  // And the package's records.
  EXPECT_TRUE(platform::FileExists(GetFolders().core_work + "intel_lan.zip.pre"));
  const TMemIniFile status = Work("intel_lan.zip.status");
  EXPECT_EQ(status.ReadString("Settings", "Status", ""), "None");
  EXPECT_EQ(status.ReadString("Settings", "Present", ""), "1");
}

TEST_F(ScanTest, OutcomesOfTheDecisions) {
  struct Row {
    const char* what;
    std::vector<testing::Offer> offers;
    const char* status;  // DevicesPlus "Status=", or null for no block
    int scan_sections;
  };
  testing::Offer other_vendor = CardOffer("12.0.0.0", "2014-01-01");
  other_vendor.vendor = "REALTEK";
  other_vendor.id = "PCI\\VEN_8086&DEV_1502";  // a reduced ID: no loose acceptance
  other_vendor.device_description = "Realtek thing";
  testing::Offer older = CardOffer("10.0.0.0", "2010-01-01");
  const Row rows[] = {
      {"newer", {CardOffer("12.10.29.0", "2014-03-02")}, "Status=Success", 1},
      {"vendor declined", {other_vendor}, "Status=Vendor", 0},
      {"accepted, not newer", {older}, "Status=VerDots", 0},
      {"two packages, one winner",
       {CardOffer("12.10.29.0", "2014-03-02", "100_intel_lan.zip"),
        CardOffer("12.11.0.0", "2014-06-02", "101_intel_lan_new.zip")},
       "Status=Success", 1},
      {"nothing in the database", {}, nullptr, 0},
  };
  for (const Row& r : rows) {
    Prepare(json::array({IntelCard()}), r.offers);
    Scan();
    const std::vector<std::string> plus =
        platform::FileExists(GetFolders().core_work + "DevicesPlus.ini") ? PlusLines()
                                                                         : std::vector<std::string>();
    if (r.status) {
      EXPECT_THAT(plus, Contains(r.status)) << r.what;
    } else {
      EXPECT_TRUE(plus.empty()) << r.what << ": no candidates, no block";
    }
    EXPECT_EQ(Work("Scan.ini").SectionExists("1"), r.scan_sections == 1) << r.what;
    EXPECT_FALSE(Work("Scan.ini").SectionExists("2")) << r.what;
  }
}

TEST_F(ScanTest, AnInstalledPackageIsPendingOrSkipped) {
  const std::string hash(32, 'a');
  // Installed with success from another database: shown as pending, no section.
  Prepare(json::array({IntelCard()}), {CardOffer("12.10.29.0", "2014-03-02")});
  WritePseudoEnumRegistryStringProperty(kCard, "InstalledVersion", hash);
  WritePseudoEnumRegistryStringProperty(kCard, "InstalledStatus", "1");
  WritePseudoEnumRegistryStringProperty(kCard, "InstalledBaseDate", "2015-09-01");
  Scan();
  EXPECT_THAT(PlusLines(), Contains("Status=Pending"));
  EXPECT_FALSE(Work("Scan.ini").SectionExists("1"));
  // Installed without success: listed as pending, not counted.
  Prepare(json::array({IntelCard()}), {CardOffer("12.10.29.0", "2014-03-02")});
  WritePseudoEnumRegistryStringProperty(kCard, "InstalledVersion", hash);
  WritePseudoEnumRegistryStringProperty(kCard, "InstalledStatus", "0");
  Scan();
  EXPECT_EQ(Work("Scan.ini").ReadString("1", "IsPending", ""), "1");
  EXPECT_EQ(last_found_, 0);
  // Installed with success from this very database: not looked at again.
  Prepare(json::array({IntelCard()}), {CardOffer("12.10.29.0", "2014-03-02")});
  WritePseudoEnumRegistryStringProperty(kCard, "InstalledStatus", "1");
  WritePseudoEnumRegistryStringProperty(kCard, "InstalledBaseDate", "2015-10-01");
  Scan();
  EXPECT_FALSE(platform::FileExists(GetFolders().core_work + "DevicesPlus.ini"));
}

TEST_F(ScanTest, AnOfferedPackageThatWasInstalledIsReopened) {
  for (const bool downloaded : {false, true}) {
    Prepare(json::array({IntelCard()}), {CardOffer("12.10.29.0", "2014-03-02")});
    pc_->WriteFile(GetFolders().core_work + "intel_lan.zip.status", "[Settings]\r\nStatus=Installed\r\n");
    if (downloaded) pc_->WriteFile(GetFolders().core_drivers + "intel_lan.zip", "zip");
    Scan();
    EXPECT_EQ(Work("intel_lan.zip.status").ReadString("Settings", "Status", ""),
              downloaded ? "Downloaded" : "New");
  }
}

TEST_F(ScanTest, CancellingKeepsWhatWasFound) {
  json devices = json::array({IntelCard(), IntelCard("PCI\\VEN_8086&DEV_1502&SUBSYS_04AA1028&REV_04\\OTHER")});
  devices[1]["description"] = "Second card";
  Prepare(devices, {CardOffer("12.10.29.0", "2014-03-02")});
  pc_->WriteFile("C:\\debug.pc", "");
  Scan([](int, int processed) { return processed == 2; });
  EXPECT_EQ(codes_.back(), kScanCancelled);
  EXPECT_TRUE(Work("Scan.ini").SectionExists("1")) << "the first device's section";
  EXPECT_FALSE(Work("Scan.ini").SectionExists("2"));
  std::vector<platform::FindData> backups;
  platform::FindFiles(GetFolders().core_work + "Debug_*.zip", &backups);
  EXPECT_TRUE(backups.empty()) << "no debug backup of a cancelled scan";
}

TEST_F(ScanTest, AnEmptyDeviceListStillEnds) {
  Prepare(json::array(), {CardOffer("12.10.29.0", "2014-03-02")});
  pc_->WriteFile("C:\\debug.pc", "");
  Scan();
  EXPECT_EQ(codes_, (std::vector<int>{kScanEnded}));
  EXPECT_EQ(last_found_, 0);
  EXPECT_FALSE(platform::FileExists(GetFolders().core_work + "DevicesPlus.ini"));
  EXPECT_EQ(Work("Scan.ini").ReadSections(), (std::vector<std::string>{"Settings", "Errors"}));
  std::vector<platform::FindData> backups;
  platform::FindFiles(GetFolders().core_work + "Debug_*_scan.zip", &backups);
  EXPECT_EQ(backups.size(), 1u);
}

TEST_F(ScanTest, WithoutADatabaseTheScanFails) {
  Prepare(json::array({IntelCard()}), {});
  platform::DeleteFile(DefaultDatabasePath());
  Scan();
  EXPECT_EQ(codes_, (std::vector<int>{kScanFailed}));
  XLog::Flush();
  EXPECT_THAT(ReadLogFileLines(GetFolders().core_work + "program.log"),
              Contains(HasSubstr("GenerateDriverResult MESS: BasePath not found")));
}

TEST_F(ScanTest, AnEnglishFirstScanCollectsTheSnapshot) {
  json card = IntelCard();
  // The database's version and vendor, but dated three days later.
  card["driver"]["version"] = "12.10.29.0";
  card["driver"]["date"] = "2014-02-27";
  for (const char* language : {"Deutsch (Deutschland)", "English (United States)"}) {
    Prepare(json::array({card}), {CardOffer("12.10.29.0", "2014-03-02")},
            {{"os", {{"ui_language", language}}}});
    Scan();
    const bool english = std::string(language).rfind("English", 0) == 0;
    EXPECT_EQ(platform::FileExists(GetFolders().core_work + "snapshot_send"), english) << language;
    EXPECT_EQ(platform::FileExists(GetFolders().core_work + "Snapshot.ini"), english) << language;
    if (english) {
      const TMemIniFile snapshot = Work("Snapshot.ini");
      EXPECT_EQ(snapshot.ReadString("1", "request_type", ""), "date");
      EXPECT_EQ(snapshot.ReadString("1", "date_user", ""), "2014-02-27");
      EXPECT_EQ(snapshot.ReadString("1", "date_base", ""), "2014-03-02");
      EXPECT_EQ(snapshot.ReadString("1", "os_id", ""), "7_64");
      EXPECT_EQ(snapshot.ReadString("1", "created", ""), "program");
    }
  }
}

TEST_F(ScanTest, TheJobReportsThroughTheMainThread) {
  Prepare(json::array({IntelCard()}), {CardOffer("12.10.29.0", "2014-03-02")});
  std::vector<int> codes;
  bool on_main = true;
  const auto main_id = std::this_thread::get_id();
  GetDriverResult(0, [&](int code, const std::string&, bool*, int, int, int) {
    on_main = on_main && std::this_thread::get_id() == main_id;
    codes.push_back(code);
  });
  EXPECT_TRUE(IsGenerateInProgress());
  GetDriverResult(0, [&](int code, const std::string&, bool*, int, int, int) { codes.push_back(100 + code); });
  MainThread::RunLoop([&] { return !codes.empty() && codes.back() >= kScanEnded; }, 20);
  ASSERT_TRUE(WaitForGenerateThread(20000));
  EXPECT_TRUE(on_main);
  EXPECT_EQ(codes, (std::vector<int>{kScanStarting, kScanDevice, kScanEnded})) << "a second scan did not start";
  EXPECT_FALSE(IsGenerateInProgress());
  bool vetoed = false;
  GetDriverResult(0, [&](int code, const std::string&, bool* cancel, int, int, int) {
    if (code == kScanStarting) *cancel = true;
    if (code == kScanCancelled) vetoed = true;
  });
  EXPECT_TRUE(vetoed);
  EXPECT_FALSE(IsGenerateInProgress());
}

}  // namespace
}  // namespace tav
