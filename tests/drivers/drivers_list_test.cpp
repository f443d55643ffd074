// The driver lists read from the records a real scan leaves: a virtual PC
// with a few devices, a small driver database, the device list and the scan,
// then the ".pre" and ".status" files it wrote. What the scan cannot write
// (install states, groups, broken records) is edited into those files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "core/folders.h"
#include "core/ini_file.h"
#include "core/log_engine.h"
#include "core/main_thread.h"
#include "devices/device_list.h"
#include "devices/device_properties.h"
#include "drivers/drivers_list.h"
#include "drivers/process_driver_lists.h"
#include "matching/driver_database.h"
#include "matching/driver_result.h"
#include "matching/snapshot_collector.h"
#include "platform/file_system.h"
#include "tests/matching/test_database.h"
#include "tests/support/temp_machine.h"

namespace tav {
namespace {

using nlohmann::json;
using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr const char* kUsbGuid = "{36FC9E60-C465-11CF-8056-444553540000}";
// The class image indexes of this PC's class keys.
constexpr int kMediaImage = 11;
constexpr int kNetImage = 15;

std::string PciId(const std::string& vendor, const std::string& device) {
  return "PCI\\VEN_" + vendor + "&DEV_" + device + "&SUBSYS_21FA17AA&REV_04";
}

// A PCI device with an old driver of its vendor.
json PciDevice(const std::string& device,
               const std::string& setup_class,
               const std::string& description,
               const std::string& vendor = "8086",
               const std::string& provider = "Intel") {
  const std::string id = PciId(vendor, device);
  return {{"instance_id", id + "\\3&11583659&0&" + device},
          {"class", setup_class},
          {"hardware_ids", {id, "PCI\\VEN_" + vendor + "&DEV_" + device}},
          {"description", description},
          {"manufacturer", provider},
          {"driver",
           {{"provider", provider},
            {"version", "1.0.0.0"},
            {"date", "2011-01-01"},
            {"inf_path", "oem" + device + ".inf"},
            {"inf_section", "Install"},
            {"description", description}}}};
}

testing::Offer Offer(const std::string& device,
                     const std::string& file,
                     char hash,
                     const std::string& file_description,
                     const std::string& vendor = "8086") {
  testing::Offer o;
  o.id = PciId(vendor, device);
  o.version = "2.0.0.0";
  o.date = "2014-03-02";
  o.vendor = vendor == "8086" ? "INTEL" : "REALTEK";
  o.file = file;
  o.hash = std::string(32, hash);
  o.file_description = file_description;
  o.device_description = "Intel SMBus Controller";
  return o;
}

json Devices(bool with_driverless = false) {
  json offline = PciDevice("0162", "Display", "Intel(R) HD Graphics 2500");
  offline["present"] = false;
  json devices = json::array({
      PciDevice("0166", "Display", "Intel(R) HD Graphics 4000"),
      PciDevice("8168", "Net", "Realtek PCIe GBE Family Controller", "10EC", "Realtek"),
      PciDevice("8136", "Net", "Realtek PCIe FE Family Controller", "10EC", "Realtek"),
      PciDevice("1E2D", "USB", "Intel(R) USB 3.0 eXtensible Host Controller"),
      PciDevice("1E26", "USB", "Intel(R) 7 Series USB Enhanced Host Controller"),
      PciDevice("1E20", "MEDIA", "High Definition Audio Controller"),
      PciDevice("1E21", "Image", "Integrated Camera"),
      PciDevice("1E22", "System", "Intel(R) 7 Series LPC Controller"),
      PciDevice("1E23", "Ports", "Intel(R) Active Management Technology - SOL"),
      PciDevice("1E24", "HIDClass", "Intel(R) Sensor Hub"),
      offline,
      PciDevice("1E25", "System", ""),
  });
  if (with_driverless) {
    // No driver and no class; reading its driver parameters takes the scan a while.
    devices.push_back({{"instance_id", PciId("8086", "1E31") + "\\3&11583659&0&1E31"},
                       {"hardware_ids", {PciId("8086", "1E31")}},
                       {"description", "PCI Simple Communications Controller"}});
  }
  return devices;
}

std::vector<testing::Offer> Offers(bool with_offline = true) {
  testing::Offer older_pkg = Offer("1E26", "99_pkg.zip", 'e', "Intel USB 2.0 driver");
  older_pkg.version = "1.5.0.0";
  older_pkg.date = "2013-05-06";
  std::vector<testing::Offer> offers = {
      Offer("0166", "300_intel_hd.zip", 'a', "Intel graphics driver"),
      Offer("8168", "400_rtl_lan.zip", 'b', "", "10EC"),
      Offer("8136", "400_rtl_lan.zip", 'b', "", "10EC"),
      Offer("1E2D", "1234_pkg.zip", 'c', "Intel USB 3.0 eXtensible Host Controller Driver"),
      older_pkg,
      Offer("1E20", "500_av.zip", 'f', "Intel media driver"),
      Offer("1E21", "500_av.zip", 'f', "Intel media driver"),
      Offer("1E22", "600_chipset.zip", '1', "Intel(R) Chipset Device Software"),
      Offer("1E23", "600_chipset.zip", '1', "Intel(R) Chipset Device Software"),
      Offer("1E24", "600_chipset.zip", '1', "Intel(R) Chipset Device Software"),
      Offer("1E25", "800_nameless.zip", '3', ""),
      Offer("1E31", "900_noclass.zip", '4', "Intel Management Engine Interface"),
  };
  if (with_offline)
    offers.push_back(Offer("0162", "700_offline.zip", '2', "Intel graphics driver"));
  return offers;
}

class DriversListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Prepare();
    Scan();
  }
  void TearDown() override { XLog::Stop(); }

  void Prepare(bool with_driverless = false) {
    pc_ = std::make_unique<testing::TempMachine>(json{{"devices", Devices(with_driverless)}});
    MainThread::Init();
    MainThread::Restart();
    GetFolders() = Folders();
    ResolveFixedFolders();
    InitParams("Tavrolin", "", "", false);
    XLog::Init(GetFolders().core_work);
    MakeDatabase(Offers());
  }
  void MakeDatabase(const std::vector<testing::Offer>& offers) {
    testing::MakeDriverDatabase(DefaultDatabasePath(), offers,
                                {{"date", "2015-10-01"}, {"plain", "0"}},
                                {{"8086", "INTEL"}, {"10EC", "REALTEK"}});
  }
  // The device list and the scan, on this thread.
  void Scan() {
    ResetSnapshotCollector();
    ASSERT_TRUE(GenerateDevicesList("Devices.ini", [] { CreateBaseIndexes(); }));
    GenerateDriverResult(0, ScanPaths(), "", [](int, const std::string&, bool*, int, int, int) {});
  }

  std::string Work(const std::string& name) const { return GetFolders().core_work + name; }
  TDriversList List(TListMode mode) const {
    TDriversList list;
    list.ScanPreFiles(GetFolders().core_work, mode);
    list.Sort();
    return list;
  }
  static TDriverPackageEntry* Find(const TDriversList& list, const std::string& key) {
    for (const auto& package : list) {
      if (package->Key == key)
        return package.get();
    }
    return nullptr;
  }
  static std::set<std::string> Keys(const TDriversList& list) {
    std::set<std::string> keys;
    for (const auto& package : list)
      keys.insert(package->Key);
    return keys;
  }
  void WriteStatus(const std::string& key, const std::string& settings) const {
    pc_->WriteFile(Work(key + ".status"), "[Settings]\r\n" + settings);
  }
  void Download(const std::string& key) const {
    pc_->WriteFile(GetFolders().core_drivers + key, "PK");
  }
  // The "-scan" section of a package's record whose device has this name.
  std::string ScanSection(const TMemIniFile& pre, const std::string& device_name) const {
    for (const std::string& s : pre.ReadSections()) {
      if (s.find("-scan") != std::string::npos &&
          pre.ReadString(s, "DeviceName", "") == device_name) {
        return s;
      }
    }
    ADD_FAILURE() << "no section of " << device_name;
    return {};
  }
  std::vector<std::string> LogLines() const {
    XLog::Flush();
    return ReadLogFileLines(Work("program.log"));
  }

  std::unique_ptr<testing::TempMachine> pc_;
};

TEST_F(DriversListTest, DevicesOfOneKeyShareThePackageOfTheFirst) {
  const TDriversList list = List(TListMode::Result);
  EXPECT_EQ(Keys(list), (std::set<std::string>{"intel_hd.zip", "rtl_lan.zip", "pkg.zip", "av.zip",
                                               "chipset.zip", "offline.zip", "nameless.zip"}));
  const TDriverPackageEntry* pkg = Find(list, "pkg.zip");
  ASSERT_NE(pkg, nullptr);
  EXPECT_EQ(pkg->FileName, "1234_pkg.zip");
  EXPECT_EQ(pkg->Version, "2.0.0.0");
  EXPECT_EQ(pkg->Date, "3/2/2014") << "the user's short date format";
  EXPECT_EQ(pkg->Md5Hash, std::string(32, 'c'));
  EXPECT_EQ(pkg->Description, "Intel USB 3.0 eXtensible Host Controller Driver");
  EXPECT_EQ(pkg->Vendor, "Intel");
  EXPECT_EQ(pkg->State, psNone);
  EXPECT_TRUE(pkg->Present);
  EXPECT_EQ(pkg->GroupsText, "") << "the scan writes no groups";
  ASSERT_EQ(pkg->Devices.size(), 2u);
  const TDeviceEntry& second = *pkg->Devices[1];
  EXPECT_EQ(second.DeviceName, "Intel(R) 7 Series USB Enhanced Host Controller");
  EXPECT_EQ(second.Version, "1.0.0.0") << "the installed driver's";
  EXPECT_EQ(second.Date, "1/1/2011");
  EXPECT_EQ(second.Class, "Universal Serial Bus controllers");
  EXPECT_EQ(second.ClassName, "USB");
  EXPECT_EQ(GuidToString(second.ClassGUID), kUsbGuid);
  EXPECT_TRUE(second.IsConnected);
  EXPECT_EQ(second.Package, pkg);
  EXPECT_EQ(pkg->DeviceNames,
            (std::vector<std::string>{"Intel(R) USB 3.0 eXtensible Host Controller",
                                      "Intel(R) 7 Series USB Enhanced Host Controller"}));
}

TEST_F(DriversListTest, DisplayNamesOfTheScannedPackages) {
  const TDriversList list = List(TListMode::Result);
  const std::pair<const char*, const char*> rows[] = {
      {"intel_hd.zip", "Intel - HD Graphics 4000"},
      {"rtl_lan.zip", "Realtek - PCIe Family Controller"},
      {"pkg.zip", "Intel - USB 3.0 eXtensible Host Controller"},
      {"chipset.zip", "Intel - Chipset Device Software"},
      // Its device has no name: the database's device description stands in.
      {"nameless.zip", "Intel - SMBus Controller"},
  };
  for (const auto& [key, name] : rows) {
    TDriverPackageEntry* package = Find(list, key);
    ASSERT_NE(package, nullptr) << key;
    EXPECT_EQ(package->GetName(), name) << key;
  }
}

TEST_F(DriversListTest, TheNameComesFromOneDeviceTheDescriptionOrTheSharedWords) {
  struct Row {
    const char* what;
    std::vector<std::string> names;
    const char* description;
    const char* vendor;
    const char* group;
    const char* expected;
  };
  const Row rows[] = {
      {"one device: its name",
       {"Intel(R) HD Graphics 4000"},
       "Graphics Driver",
       "INTEL",
       "",
       "Intel - HD Graphics 4000"},
      {"several: the description",
       {"Intel(R) USB Hub", "Intel(R) USB Hub"},
       "Intel(R) Chipset Device Software",
       "Intel Corporation",
       "",
       "Intel - Chipset Device Software"},
      {"no names: the groups", {"", ""}, "", "NVIDIA", "Display", "NVIDIA - Display"},
      {"nothing: the vendor", {""}, "", "Hewlett-Packard", "", "HP"},
      {"no vendor", {"LaserJet 1020"}, "", "", "", " - LaserJet 1020"},
  };
  for (const Row& r : rows) {
    TDriversList list;
    TDriverPackageEntry* package = nullptr;
    for (const std::string& name : r.names) {
      TScanValues v;
      v.DeviceName = name;
      v.FName = "1_row.zip";
      v.Description = r.description;
      v.Vendor = r.vendor;
      v.Group = r.group;
      v.ClassGUID = kUsbGuid;
      package = list.AddDevice(v, TExtraParams());
    }
    ASSERT_NE(package, nullptr) << r.what;
    EXPECT_EQ(package->GetName(), r.expected) << r.what;
  }
}

TEST_F(DriversListTest, TheNameFollowsEveryAddedDevice) {
  TDriversList list;
  TScanValues v;
  v.FName = "1_rtl.zip";
  v.Vendor = "REALTEK";
  v.ClassGUID = kUsbGuid;
  v.DeviceName = "Realtek PCIe GBE Family Controller";
  TDriverPackageEntry* package = list.AddDevice(v, TExtraParams());
  EXPECT_EQ(package->GetName(), "Realtek - PCIe GBE Family Controller");
  v.DeviceName = "Realtek PCIe FE Family Controller";
  EXPECT_EQ(list.AddDevice(v, TExtraParams()), package);
  EXPECT_EQ(package->GetName(), "Realtek - PCIe Family Controller");
}

TEST_F(DriversListTest, StatusFilesDecideWhatEachListKeeps) {
  struct Row {
    const char* settings;  // [Settings] of intel_hd.zip.status
    bool in_result;
    TPackageState state;
    bool present;
  };
  const Row rows[] = {
      {"Status=None\r\nPresent=1\r\n", true, psNone, true},
      {"Status=Downloaded\r\nPresent=1\r\n", true, psDownloaded, true},
      {"Status=New\r\nPresent=1\r\n", true, psNone, true},
      {"Status=Installed\r\nPresent=1\r\n", false, psInstalled, true},
      {"Status=Pending\r\nPresent=1\r\n", false, psPending, true},
      {"Status=None\r\nPresent=1\r\nCheckAfterRestart=1\r\n", false, psCheckAfterRestart, true},
      {"Status=Downloaded\r\nCheckAfterRestart=1\r\n", false, psCheckAfterRestart, true},
      {"Status=Installed\r\nCheckAfterRestart=1\r\n", false, psInstalled, true},
      {"Status=pending\r\n", true, psNone, true},
      {"Status=None\r\nPresent=0\r\n", false, psNone, false},
      {"Present=1\r\n", true, psNone, true},
  };
  Download("intel_hd.zip");
  for (const Row& r : rows) {
    WriteStatus("intel_hd.zip", r.settings);
    const TDriversList result = List(TListMode::Result);
    EXPECT_EQ(Find(result, "intel_hd.zip") != nullptr, r.in_result) << r.settings;
    EXPECT_EQ(result.Count(), r.in_result ? 7u : 6u) << r.settings;
    const TDriversList history = List(TListMode::History);
    ASSERT_EQ(Keys(history), std::set<std::string>{"intel_hd.zip"}) << r.settings;
    EXPECT_EQ(history[0].State, r.state) << r.settings;
    EXPECT_EQ(history[0].Present, r.present) << r.settings;
    EXPECT_EQ(history[0].IsPending(), r.state == psPending) << r.settings;
  }
  EXPECT_THAT(LogLines(),
              Contains(HasSubstr(
                  "TDriversList.Scan MESS: Status file not found PARAMS: intel_hd.zip.status")));
}

TEST_F(DriversListTest, APendingDeviceLeavesTheResultListButNotTheHistory) {
  // An earlier installation of 1234_pkg.zip on this device was not confirmed.
  Prepare();
  const std::string device = PciId("8086", "1E2D") + "\\3&11583659&0&1E2D";
  WritePseudoEnumRegistryStringProperty(device, "InstalledVersion", std::string(32, 'c'));
  WritePseudoEnumRegistryStringProperty(device, "InstalledStatus", "0");
  Scan();
  ASSERT_EQ(TMemIniFile(Work("pkg.zip.status")).ReadString("Settings", "Status", ""), "None");

  const TDriversList result = List(TListMode::Result);
  const TDriverPackageEntry* pkg = Find(result, "pkg.zip");
  ASSERT_NE(pkg, nullptr);
  ASSERT_EQ(pkg->Devices.size(), 1u);
  EXPECT_EQ(pkg->Devices[0]->DeviceName, "Intel(R) 7 Series USB Enhanced Host Controller");
  EXPECT_EQ(pkg->FileName, "99_pkg.zip") << "made by the device that is left";
  EXPECT_EQ(pkg->Version, "1.5.0.0");
  EXPECT_EQ(pkg->State, psNone);

  Download("pkg.zip");
  const TDriversList history = List(TListMode::History);
  ASSERT_EQ(history.Count(), 1u);
  TDriverPackageEntry& all = history[0];
  EXPECT_EQ(all.Devices.size(), 2u);
  EXPECT_EQ(all.FileName, "1234_pkg.zip");
  EXPECT_EQ(all.State, psPending);
  EXPECT_TRUE(all.IsPending());
  EXPECT_EQ(all.GetSortWeight(), 49 + 400);
}

TEST_F(DriversListTest, TheHistoryHoldsThePackagesStillDownloaded) {
  EXPECT_EQ(List(TListMode::History).Count(), 0u) << "nothing downloaded yet";
  Download("intel_hd.zip");
  Download("rtl_lan.zip");
  WriteStatus("intel_hd.zip", "Status=Downloaded\r\nPresent=1\r\nDownloaded=42000\r\n");
  const TDriversList history = List(TListMode::History);
  EXPECT_EQ(Keys(history), (std::set<std::string>{"intel_hd.zip", "rtl_lan.zip"}));
  EXPECT_EQ(Find(history, "intel_hd.zip")->DownloadedDate, 42000);
  EXPECT_EQ(Find(history, "rtl_lan.zip")->DownloadedDate, std::floor(Today()))
      << "not recorded: today";
  platform::DeleteFile(GetFolders().core_drivers + "intel_hd.zip");
  EXPECT_EQ(Keys(List(TListMode::History)), std::set<std::string>{"rtl_lan.zip"});
}

TEST_F(DriversListTest, APackageALaterScanNoLongerOffersIsNotPresent) {
  MakeDatabase(Offers(false));
  Scan();
  ASSERT_TRUE(platform::FileExists(Work("offline.zip.pre"))) << "the scan keeps the old record";
  EXPECT_EQ(Find(List(TListMode::Result), "offline.zip"), nullptr);
  Download("offline.zip");
  Download("intel_hd.zip");
  const TDriversList history = List(TListMode::History);
  ASSERT_EQ(history.Count(), 2u);
  EXPECT_EQ(history[0].Key, "offline.zip") << "not present sorts first";
  EXPECT_FALSE(history[0].Present);
  EXPECT_EQ(history[0].GetSortWeight(), 5 + 50 + 4000) << "display, disconnected, not present";
  EXPECT_EQ(history[1].GetSortWeight(), 5);
}

TEST_F(DriversListTest, TheMainDeviceIsTheClassMostDevicesShare) {
  const TDriversList list = List(TListMode::Result);
  struct Row {
    const char* key;
    int main_device;  // index in Devices, -1 for none
    std::optional<int32_t> icon;
    int32_t weight;
  };
  const Row rows[] = {
      {"av.zip", 0, kMediaImage, 3},          // two devices of two classes: the first
      {"chipset.zip", -1, std::nullopt, 49},  // three of three classes: none
      {"rtl_lan.zip", 0, kNetImage, 49},     {"intel_hd.zip", 0, 1, 5},
      {"offline.zip", 0, 1, 5 + 50},  // its only device is not connected
  };
  for (const Row& r : rows) {
    TDriverPackageEntry* package = Find(list, r.key);
    ASSERT_NE(package, nullptr) << r.key;
    const TDeviceEntry* expected =
        r.main_device < 0 ? nullptr : package->Devices[static_cast<size_t>(r.main_device)].get();
    EXPECT_EQ(package->GetMainDevice(), expected) << r.key;
    EXPECT_EQ(package->GetIcon(), r.icon) << r.key;
    EXPECT_EQ(package->GetSortWeight(), r.weight) << r.key;
  }
  EXPECT_EQ(Find(list, "av.zip")->Devices[1]->GetIcon(), 28) << "the camera's class";
  EXPECT_FALSE(Find(list, "offline.zip")->HasConnectedDevice());
  EXPECT_TRUE(Find(list, "chipset.zip")->HasConnectedDevice());
}

TEST_F(DriversListTest, SortedByDescendingWeightShownInReverse) {
  const TDriversList list = List(TListMode::Result);
  std::vector<int32_t> weights;
  for (const auto& package : list)
    weights.push_back(package->GetSortWeight());
  EXPECT_TRUE(std::is_sorted(weights.rbegin(), weights.rend()))
      << ::testing::PrintToString(weights);
  EXPECT_EQ(list[0].Key, "offline.zip");
  EXPECT_EQ(list[list.Count() - 1].Key, "av.zip")
      << "the media package ends at the top of the screen";
}

TEST_F(DriversListTest, KeysTheScanDoesNotWriteAreRead) {
  const std::string path = Work("rtl_lan.zip.pre");
  TMemIniFile pre(path);
  const std::string gbe = ScanSection(pre, "Realtek PCIe GBE Family Controller");
  const std::string fe = ScanSection(pre, "Realtek PCIe FE Family Controller");
  pre.WriteString(gbe, "Group", "Network");
  pre.WriteString(fe, "Group", "NETWORK");
  pre.WriteString(gbe, "IsUnfiltered", "1");
  ASSERT_TRUE(pre.UpdateFile());
  EXPECT_FALSE(Find(List(TListMode::Result), "rtl_lan.zip")->IsAllUnfiltered());
  pre.WriteString(fe, "IsUnfiltered", "1");
  ASSERT_TRUE(pre.UpdateFile());
  const TDriversList list = List(TListMode::Result);
  TDriverPackageEntry* rtl = Find(list, "rtl_lan.zip");
  EXPECT_TRUE(rtl->IsAllUnfiltered());
  EXPECT_EQ(rtl->GroupsText, "Network") << "groups are kept once whatever their case";
  EXPECT_EQ(rtl->Devices[1]->Group, "NETWORK");
  EXPECT_FALSE(Find(list, "intel_hd.zip")->IsAllUnfiltered());
}

TEST_F(DriversListTest, BrokenRecordsLeaveOutWhatTheyBreak) {
  platform::DeleteFile(Work("chipset.zip.status"));
  TMemIniFile pre(Work("pkg.zip.pre"));
  const std::string second = ScanSection(pre, "Intel(R) 7 Series USB Enhanced Host Controller");
  pre.WriteString(second, "ClassGUID", "{36FC9E60-C465-11CF-8056-4445535400}");
  ASSERT_TRUE(pre.UpdateFile());
  TMemIniFile av(Work("av.zip.pre"));
  av.WriteString(ScanSection(av, "Integrated Camera"), "ClassGUID",
                 "{11111111-2222-3333-4444-555555555555}");
  ASSERT_TRUE(av.UpdateFile());

  const TDriversList list = List(TListMode::Result);
  EXPECT_EQ(Find(list, "chipset.zip"), nullptr) << "a record without its status file";
  ASSERT_NE(Find(list, "pkg.zip"), nullptr);
  EXPECT_EQ(Find(list, "pkg.zip")->Devices.size(), 1u) << "the device whose class does not parse";
  TDeviceEntry& camera = *Find(list, "av.zip")->Devices[1];
  EXPECT_EQ(camera.GetIcon(), 0) << "a class the PC does not know";
  EXPECT_EQ(camera.GetIcon(), 0);
  EXPECT_EQ(camera.ImageIndex, -1);

  const std::vector<std::string> log = LogLines();
  EXPECT_THAT(log,
              Contains(HasSubstr(
                  "TDriversList.ScanPreFiles MESS: Status file not found PARAMS: chipset.zip")));
  EXPECT_THAT(log, Contains(HasSubstr("TDriversList.AddDevice MESS: Invalid ClassGUID")));
  const auto lookups = std::count_if(log.begin(), log.end(), [](const std::string& line) {
    return line.find(
               "TDeviceEntry.GetIcon MESS: SetupDiGetClassImageIndex fail PARAMS: "
               "{11111111-2222-3333-4444-555555555555}") != std::string::npos;
  });
  EXPECT_EQ(lookups, 3) << "sorting looked once for the main device, then every retry";
}

// A device with no driver has no class either: its offer stays in the list
// with the null class.
TEST_F(DriversListTest, AnOfferForADeviceWithoutClassKeepsTheNullClass) {
  Prepare(true);
  Scan();
  ASSERT_TRUE(platform::FileExists(Work("noclass.zip.pre")));
  const TMemIniFile pre(Work("noclass.zip.pre"));
  const std::string section = ScanSection(pre, "PCI Simple Communications Controller");
  ASSERT_TRUE(pre.ValueExists(section, "ClassGUID"));
  EXPECT_EQ(pre.ReadString(section, "ClassGUID", "?"), "");
  const TDriversList list = List(TListMode::Result);
  const TDriverPackageEntry* package = Find(list, "noclass.zip");
  ASSERT_NE(package, nullptr);
  ASSERT_EQ(package->Devices.size(), 1u);
  EXPECT_EQ(package->Devices[0]->ClassGUID, TGuid{});
  EXPECT_THAT(LogLines(), Not(Contains(HasSubstr("Invalid ClassGUID"))));
}

// The only test of the process-wide lists, so that it sees their first use
// also when every test runs in one process.
TEST_F(DriversListTest, TheProcessListsAreScannedOnFirstUseAndOnRequest) {
  Download("intel_hd.zip");
  TDriversList& result = GetDriverResultList(false, GetFolders().core_work);
  TDriversList& history = GetDriverHistoryList(false, GetFolders().core_work);
  EXPECT_EQ(result.Count(), 7u);
  EXPECT_EQ(history.Count(), 1u);
  WriteStatus("intel_hd.zip", "Status=Installed\r\n");
  EXPECT_EQ(&GetDriverResultList(false, GetFolders().core_work), &result);
  EXPECT_EQ(result.Count(), 7u) << "kept until a rescan";
  EXPECT_EQ(GetDriverResultList(true, GetFolders().core_work).Count(), 6u);
  EXPECT_EQ(GetDriverHistoryList(true, GetFolders().core_work)[0].State, psInstalled);
  EXPECT_EQ(&GetDriverHistoryList(false, GetFolders().core_work), &history);
  EXPECT_THAT(LogLines(), Not(Contains(HasSubstr("Empty IniPath"))));
  GetDriverResultList(false, "");
  EXPECT_THAT(LogLines(), Contains(HasSubstr("GetDriverResultList MESS: Empty IniPath")));
}

}  // namespace
}  // namespace tav
