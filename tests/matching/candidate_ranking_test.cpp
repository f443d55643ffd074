// The decisions about a device's candidates: vendor acceptance, ranks,
// newer-than-installed marks and the winner.
#include <gtest/gtest.h>

#include "core/folders.h"
#include "core/log_engine.h"
#include "core/main_thread.h"
#include "matching/candidate_ranking.h"
#include "matching/device_id.h"
#include "matching/hid_vendor.h"
#include "matching/id_list.h"
#include "matching/vendor_acceptance.h"
#include "matching/version_compare.h"
#include "tests/matching/test_database.h"
#include "tests/support/temp_machine.h"

namespace tav {
namespace {

DateTime Day(int y, int m, int d) {
  DateTime v = 0;
  TryEncodeDateTime({y, m, d, 0, 0, 0, 0}, &v);
  return v;
}

// An Intel network card with an Intel driver of version 11.15.16.0.
DeviceFacts IntelCard() {
  DeviceFacts d;
  d.installed_version = "11.15.16.0";
  d.installed_date = Day(2011, 10, 21);
  d.installed_provider = "INTEL";
  d.reg_manufacturer = d.drv_manufacturer = d.dev_manufacturer = "INTEL";
  d.reg_provider = d.drv_provider = d.dev_provider = "INTEL";
  d.device_description = "Intel(R) 82579LM Gigabit Network Connection";
  d.class_name = "Net";
  d.regular_ids = "PCI\\VEN_8086&DEV_1502&SUBSYS_04AA1028&REV_04,PCI\\VEN_8086&DEV_1502";
  return d;
}

TDriverItem Candidate(const std::string& vendor, bool full, bool regular) {
  TDriverItem c;
  c.Vendor = vendor;
  c.IsFullHID = full;
  c.IsRegularHID = regular;
  c.query_id = "PCI\\VEN_8086&DEV_1502";
  c.Version = "12.0.0.0";
  c.Date = Day(2014, 5, 1);
  c.DeviceDescription = "Intel(R) 82579LM Gigabit Network Connection";
  return c;
}

class RankingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MainThread::Init();
    GetFolders() = Folders();
    ResolveFixedFolders();
    InitParams("Tavrolin", "", "", false);
    testing::MakeDriverDatabase(GetFolders().core_work + "vendors.db", {}, {{"plain", "0"}},
                                {{"8086", "INTEL"}, {"10EC", "REALTEK"}, {"06CB", "SYNAPTICS"}},
                                {{"046D", "LOGITECH"}});
    ASSERT_TRUE(db_.Open(GetFolders().core_work + "vendors.db", true, nullptr));
    ClearVendorCodeCache();
  }
  void TearDown() override { XLog::Stop(); }

  // Acceptance, ranking and the newer marks, as the scan runs them.
  TDriverList Decide(TDriverList candidates, const DeviceFacts& device) {
    AcceptVendors(db_, &candidates, device);
    RankCandidates(&candidates, device);
    MarkNewerCandidates(&candidates, device);
    return candidates;
  }

  testing::TempMachine pc_;
  SqliteDatabase db_;
};

TEST_F(RankingTest, TheBestCandidateRanksZero) {
  const TDriverList c = Decide({Candidate("INTEL", true, true)}, IntelCard());
  EXPECT_TRUE(c[0].FoundByManufacturer);
  EXPECT_TRUE(c[0].FoundByHidVendor);
  EXPECT_TRUE(c[0].FoundByNameVendor);
  EXPECT_EQ(c[0].NameVendor, "INTEL");
  EXPECT_EQ(c[0].Rank, 0);
}

TEST_F(RankingTest, RankTable) {
  struct Row {
    const char* what;
    bool full, regular;
    int hid_index, inf_index;
    std::string vendor;
    std::string description;  // the candidate's device description
    DeviceFacts device;
    int rank;
    bool declined;
  };
  DeviceFacts no_names = IntelCard();
  no_names.device_description = "Network Controller";
  DeviceFacts by_provider = no_names;
  by_provider.reg_manufacturer = by_provider.drv_manufacturer = "";
  DeviceFacts failed = no_names;
  failed.failed = true;
  DeviceFacts short_version = IntelCard();
  short_version.installed_version = "6.2";
  const std::string exact = "Intel(R) 82579LM Gigabit Network Connection";
  const Row rows[] = {
      {"complete regular", true, true, 0, 0, "INTEL", exact, IntelCard(), 0, false},
      {"complete compatible", true, false, 0, 0, "INTEL", exact, IntelCard(), 2000, false},
      {"reduced regular", false, true, 0, 0, "INTEL", exact, IntelCard(), 4000, false},
      {"reduced compatible", false, false, 0, 0, "INTEL", exact, IntelCard(), 6000, false},
      {"ID places count", true, true, 2, 3, "INTEL", exact, IntelCard(), 5, false},
      // Not named: +1 for the name vendor, +2 for no description fit.
      {"no name vendor", true, true, 0, 0, "INTEL", "Other", no_names, 3, false},
      // By the provider (+1), HID vendor still, no name, no description fit.
      {"provider", true, true, 0, 0, "INTEL", "Other", by_provider, 4, false},
      // A prefix of the device's name fits a little (+1).
      {"prefix description", true, true, 0, 0, "INTEL", "Intel(R) 82579LM", IntelCard(), 1, false},
      // A failed device is ranked without the description fit.
      {"failed device", true, true, 0, 0, "INTEL", "Other", failed, 1, false},
      // More dots than the installed version, far from the name: +1 below 2010.
      {"dots below 2010", true, true, 0, 0, "INTEL", "Other", short_version, 3, false},
      // The same at 2010 or more: declined for its dots.
      {"dots from 2010", true, false, 5, 5, "INTEL", "Completely different words", short_version,
       2012, true},
      // ... unless the descriptions are alike.
      {"dots but alike", true, false, 5, 5, "INTEL", "Intel(R) 82579LM Gigabit Network Connectio",
       short_version, 2011, false},
  };
  for (const Row& r : rows) {
    TDriverItem c = Candidate(r.vendor, r.full, r.regular);
    c.HIDindex = r.hid_index;
    c.HIDInfIndex = r.inf_index;
    c.DeviceDescription = r.description;
    c.Version = "6.2.0.1";
    const TDriverList out = Decide({c}, r.device);
    EXPECT_EQ(out[0].Rank, r.rank) << r.what;
    EXPECT_EQ(out[0].IsDecline, r.declined) << r.what;
    if (r.declined) {
      EXPECT_EQ(out[0].DeclineReason, "VerDots") << r.what;
    }
  }
}

TEST_F(RankingTest, AMicrosoftVendorCostsOne) {
  DeviceFacts inbox = IntelCard();
  inbox.installed_provider = "MICROSOFT";
  inbox.installed_version = "6.1.7601.17514";
  inbox.inbox = true;
  inbox.reg_manufacturer = inbox.drv_manufacturer = "MICROSOFT";
  const TDriverList c = Decide({Candidate("MICROSOFT", true, true)}, inbox);
  EXPECT_TRUE(c[0].inbox_manufacturer_match);
  EXPECT_FALSE(c[0].FoundByManufacturer) << "an all-Microsoft inbox device";
  // Complete regular ID 0 + inbox manufacturer 4 + neither the HID vendor
  // (INTEL) nor the name vendor (INTEL) is its vendor 1 + 1 + Microsoft 1.
  EXPECT_EQ(c[0].Rank, 7);
}

TEST_F(RankingTest, VendorAcceptanceTable) {
  struct Row {
    const char* what;
    std::string vendor;
    DeviceFacts device;
    bool full, regular;
    bool accepted;
  };
  DeviceFacts elan;
  elan.reg_manufacturer = elan.drv_manufacturer = elan.reg_provider = elan.drv_provider = "ELAN";
  elan.device_description = "ELAN PS/2 Port Smart-Pad";
  elan.class_name = "Mouse";
  elan.regular_ids = "ACPI\\ETD0108,*ETD0108";
  DeviceFacts unnamed;  // no vendor anywhere: the device list reads it as driverless
  unnamed.driverless = true;
  unnamed.device_description = "Standard device";
  unnamed.regular_ids = "ACPI\\ABC0001";
  DeviceFacts strict = IntelCard();
  strict.reg_manufacturer = strict.drv_manufacturer = strict.dev_manufacturer = "DELL";
  strict.reg_provider = strict.drv_provider = strict.dev_provider = "DELL";
  strict.device_description = "Network Controller";
  strict.regular_ids = "ROOT\\NOVENDOR";
  DeviceFacts ati = IntelCard();
  ati.reg_manufacturer = ati.drv_manufacturer = "ATI";
  ati.regular_ids = "ROOT\\X";
  ati.device_description = "Display";
  const Row rows[] = {
      {"manufacturer", "INTEL", IntelCard(), true, true, true},
      {"alias AMD for ATI", "AMD", ati, true, true, true},
      {"Synaptics for an ELAN pad", "SYNAPTICS", elan, true, true, false},
      {"ELAN for an ELAN pad", "ELAN", elan, true, true, true},
      {"complete regular ID of a vague device", "REALTEK", unnamed, true, true, true},
      {"complete compatible ID, no vendor at all", "REALTEK", unnamed, true, false, true},
      {"reduced ID of a vague device", "REALTEK", unnamed, false, true, false},
      {"a clearly other device", "REALTEK", strict, true, true, false},
  };
  for (const Row& r : rows) {
    TDriverItem c = Candidate(r.vendor, r.full, r.regular);
    c.query_id = "ROOT\\X";
    TDriverList list = {c};
    AcceptVendors(db_, &list, r.device);
    EXPECT_EQ(!list[0].IsDecline, r.accepted) << r.what;
    if (!r.accepted) {
      EXPECT_EQ(list[0].DeclineReason, "Vendor") << r.what;
    }
  }
}

TEST_F(RankingTest, TheHidVendorComesFromTheVendorTables) {
  EXPECT_EQ(DeviceHidVendor(db_, "PCI\\VEN_8086&DEV_1502&SUBSYS_04AA1028,PCI\\VEN_8086&DEV_1502"), "INTEL");
  EXPECT_EQ(DeviceHidVendor(db_, "USB\\VID_046D&PID_C52B&REV_1200"), "LOGITECH");
  EXPECT_EQ(DeviceHidVendor(db_, "PCI\\VEN_8086&DEV_1,PCI\\VEN_10EC&DEV_2"), "") << "they disagree";
  EXPECT_EQ(DeviceHidVendor(db_, "PCI\\VEN_8086&DEV_1,ACPI\\PNP0A08"), "INTEL") << "one without a code";
  EXPECT_EQ(DeviceHidVendor(db_, "PCI\\VEN_FFFF&DEV_1"), "");
}

TEST_F(RankingTest, AnInboxDeviceIsNewerOnlyByDate) {
  DeviceFacts inbox = IntelCard();
  inbox.installed_provider = "MICROSOFT";
  inbox.installed_version = "6.1.7601.17514";
  inbox.inbox = IsInboxDriver(inbox.installed_version, inbox.installed_provider);
  inbox.installed_date = Day(2010, 11, 20);
  ASSERT_TRUE(inbox.inbox);
  TDriverItem newer = Candidate("INTEL", true, true);
  newer.Date = Day(2010, 11, 22);
  newer.Version = "6.1.7601.17514";  // same version: only an inbox device may take it by date
  TDriverItem close = Candidate("INTEL", true, true);
  close.Date = Day(2010, 11, 21);
  TDriverItem microsoft = Candidate("MICROSOFT", true, true);
  microsoft.Date = Day(2014, 1, 1);
  microsoft.Version = "6.1.7601.17514";
  const TDriverList out = Decide({newer, close, microsoft}, inbox);
  EXPECT_TRUE(out[0].FoundByDate);
  EXPECT_FALSE(out[1].FoundByDate) << "one day is not newer";
  EXPECT_FALSE(out[2].FoundByDate) << "a Microsoft driver of the same version";
  for (const TDriverItem& c : out) EXPECT_FALSE(c.FoundByVersion);
}

TEST_F(RankingTest, SameVersionOlderDateIsNoUpdate) {
  DeviceFacts device = IntelCard();
  TDriverItem same = Candidate("INTEL", true, true);
  same.Version = device.installed_version;
  same.Date = device.installed_date + 30;
  const TDriverList out = Decide({same}, device);
  EXPECT_FALSE(out[0].FoundByDate) << "the versions must differ";
  EXPECT_FALSE(out[0].FoundByVersion);
  EXPECT_EQ(ChooseWinner(out), -1);
}

TEST_F(RankingTest, WinnerChoice) {
  DeviceFacts device = IntelCard();
  TDriverItem a = Candidate("INTEL", true, true);
  a.Version = "9.2";
  TDriverItem b = a;
  b.Version = "9.1";
  TDriverList list = Decide({a, b}, device);
  // Both 2014-05-01 with equal rank: the lower version takes the place.
  ASSERT_EQ(list[0].Rank, list[1].Rank);
  EXPECT_EQ(ChooseWinner(list), 1);
  // A later date wins over a lower version.
  list[0].Date += 3;
  EXPECT_EQ(ChooseWinner(list), 0);
  // The best rank comes first.
  list[0].Rank = 5;
  EXPECT_EQ(ChooseWinner(list), 1);
  // Declined and not newer candidates never win; ranks above 10000 neither.
  list[1].IsDecline = true;
  EXPECT_EQ(ChooseWinner(list), 0);
  list[0].FoundByDate = list[0].FoundByVersion = false;
  EXPECT_EQ(ChooseWinner(list), -1);
  list[0].FoundByVersion = true;
  list[0].Rank = 10001;
  EXPECT_EQ(ChooseWinner(list), -1);
}

TEST(VersionRulesTest, DotFormatsSimilarityAndVersions) {
  testing::TempMachine pc;  // Windows 7: the inbox versions are those of code 7
  InitParams("Tavrolin", "", "", false);
  struct Dots {
    const char* installed;
    const char* candidate;
    bool same;
  };
  const Dots dots[] = {{"1.2.3.4", "5.6.7.8", true}, {"6.2", "6.2.0.1", false},
                       {"6.2.0.0", "6.2", true},     {"6.2.0.1", "6.2", false},
                       {"1.0", "1", true},           {"1.0.0", "2", true}};
  for (const Dots& d : dots) {
    EXPECT_EQ(SameDotFormat(d.installed, d.candidate), d.same) << d.installed << " vs " << d.candidate;
  }
  EXPECT_TRUE(SimilarDescriptions("realtek pcie gbe family controller", "realtek pcie gbe family controller"));
  EXPECT_TRUE(SimilarDescriptions("intel(r) hd graphics 4000", "intel(r) hd graphics 3000"));
  EXPECT_FALSE(SimilarDescriptions("intel(r) hd graphics", "amd radeon hd 7450"));
  EXPECT_FALSE(SimilarDescriptions("", ""));
  struct Less {
    const char* a;
    const char* b;
    const char* provider;
    bool less;
  };
  const Less less[] = {{"1.2", "1.10", "", true},       {"1.10", "1.2", "", false},
                       {"1.2", "1.2.0.1", "", true},    {"1.2.0", "1.2", "", false},
                       {"", "1", "", false},            {"1.0", "1.0", "", false},
                       {"x.1", "0.2", "", true},        {"6.1.7601.17514", "1.0", "MICROSOFT", true},
                       {"6.1.7601.17514", "1.0", "INTEL", false}};
  for (const Less& l : less) {
    EXPECT_EQ(VersionLess(l.a, l.b, l.provider), l.less) << l.a << " < " << l.b << " (" << l.provider << ")";
  }
}

TEST(IdListTest, SplitAndTheThousandCharacterRule) {
  EXPECT_EQ(SplitIdList("a,b,,c"), (std::vector<std::string>{"A", "B", "", "C"}));
  EXPECT_EQ(SplitIdList("a,b,"), (std::vector<std::string>{"A", "B"})) << "no empty last piece";
  EXPECT_EQ(SplitIdList(""), (std::vector<std::string>{}));
  const std::string long_id(1500, 'X');
  const std::vector<std::string> cut = SplitIdList("FIRST," + long_id + ",LOST");
  ASSERT_EQ(cut.size(), 2u);
  EXPECT_EQ(cut[1].size(), 1000u) << "the rest after the first cut keeps 1000 characters";
}

TEST(DeviceIdTest, TheWideStringDigestOfThePreparedIds) {
  testing::TempMachine pc;
  // MD5 over the first N bytes of "AB" as UTF-16LE: the bytes 41 00.
  EXPECT_EQ(GenerateDeviceID("a\"&&b"), GenerateDeviceID("A\"&&B"));
  EXPECT_EQ(GenerateDeviceID("A,B"), GenerateDeviceID("AB"));
  EXPECT_EQ(GenerateDeviceID(""), "");
  EXPECT_EQ(GenerateDeviceID("AB").size(), 32u);
}

}  // namespace
}  // namespace tav
