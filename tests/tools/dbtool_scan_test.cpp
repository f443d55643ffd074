// The sample catalogs against the program's scan: each profile's catalog is
// built into the PC's driver database, tavrolin-cli scan runs on the PC, and
// every device's outcome in DevicesPlus.ini (and winner in Scan.ini) must be
// the one expected.json derives from the matching rules.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "core/ini_file.h"
#include "core/text_utils.h"
#include "platform/shell_folders.h"
#include "tests/support/temp_machine.h"
#include "tests/tools/dbtool_run.h"
#include "tests/tools/sample_profile.h"

namespace tav {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using testing::ReadHost;
using testing::RunDbtool;
using testing::WriteHost;

struct ScanOutcome {
  std::string status;   // DevicesPlus.ini, "" for a device without candidates
  std::string package;  // Scan.ini FName, "" when the device has no section there
};

std::map<std::string, ScanOutcome> ReadOutcomes(const std::string& work) {
  std::map<std::string, ScanOutcome> outcomes;
  const TMemIniFile plus(work + "DevicesPlus.ini");
  for (const std::string& section : plus.ReadSections()) {
    if (section.find("-drv-") != std::string::npos)
      continue;
    outcomes[ToUpperAscii(plus.ReadString(section, "EnumKey", ""))].status =
        plus.ReadString(section, "Status", "");
  }
  const TMemIniFile scan(work + "Scan.ini");
  for (const std::string& section : scan.ReadSections()) {
    const std::string key = ToUpperAscii(scan.ReadString(section, "EnumKey", ""));
    if (!key.empty())
      outcomes[key].package = scan.ReadString(section, "FName", "");
  }
  return outcomes;
}

// Catalog, database, PC and scan for one profile; compares every device.
void ScanAndCompare(const std::string& profile_path) {
  testing::TempFolder folder;
  const std::string catalog = folder.path() + "/catalog";
  const testing::ProgramResult made =
      RunDbtool({"catalog", "--profile", profile_path, "--out", catalog});
  ASSERT_EQ(made.exit_code, 0) << made.err;
  const json expected = json::parse(ReadHost(catalog + "/expected.json"));
  const bool is_64bit = expected["database"]["arch"] == 64;
  const std::string db = folder.path() + "/drivers.db";
  const testing::ProgramResult built = RunDbtool(
      {"build", "--catalog", catalog, "--out", db, "--arch", is_64bit ? "64" : "32", "--os",
       std::to_string(expected["database"]["os"].get<int>()), "--date", "2020-01-15"});
  ASSERT_EQ(built.exit_code, 0) << built.err;

  json profile = json::parse(ReadHost(profile_path));
  for (const json& value : json::parse(ReadHost(catalog + "/registry.json")))
    profile["registry"].push_back(value);
  // The first scan's snapshot goes to a closed port on this machine.
  json hosts = json::object();
  hosts["key"] = "HKCU\\SOFTWARE\\Tavrolin";
  hosts["values"] = json::array();
  for (const char* name : {"ServiceHost", "DownloadHost"})
    hosts["values"].push_back({{"name", name}, {"type", "REG_SZ"}, {"data", "127.0.0.1:9"}});
  profile["registry"].push_back(hosts);
  testing::TempMachine pc(profile);
  std::string app_data;
  ASSERT_TRUE(platform::GetShellFolder(platform::csidl::kAppData, &app_data));
  const std::string work = app_data + "\\Tavrolin\\";
  WriteHost(pc.Host(work + (is_64bit ? "Drivers64.db" : "Drivers32.db")), ReadHost(db));

  const testing::ProgramResult scan = testing::RunProgram("tavrolin-cli", {"scan"}, pc.root());
  ASSERT_EQ(scan.exit_code, 0) << scan.out << scan.err;
  const std::map<std::string, ScanOutcome> outcomes = ReadOutcomes(work);
  int checked = 0;
  for (const auto& [device, e] : expected["devices"].items()) {
    const auto it = outcomes.find(ToUpperAscii(device));
    const ScanOutcome got = it == outcomes.end() ? ScanOutcome{} : it->second;
    const std::string want = e["outcome"].is_string() ? e["outcome"].get<std::string>() : "";
    const std::string want_package =
        want == "Success" && e["package"].is_string() ? e["package"].get<std::string>() : "";
    EXPECT_EQ(got.status, want) << device << " (" << e.value("case", "no case") << ")";
    EXPECT_EQ(got.package, want_package) << device << " (" << e.value("case", "no case") << ")";
    ++checked;
  }
  EXPECT_EQ(checked, static_cast<int>(profile["devices"].size()));
}

TEST(DbtoolScanTest, TheSamplePcScansAsItsCatalogExpects) {
  testing::TempFolder folder;
  const std::string profile = folder.path() + "/sample.json";
  WriteHost(profile, testing::SampleCatalogProfile().dump(2));
  ScanAndCompare(profile);
}

class DbtoolProfileScanTest : public ::testing::TestWithParam<std::string> {};

TEST_P(DbtoolProfileScanTest, TheProfileScansAsItsCatalogExpects) {
  ScanAndCompare(std::string(TAVROLIN_SOURCE_DIR) + "/data/machines/" + GetParam() + ".json");
}

INSTANTIATE_TEST_SUITE_P(Profiles,
                         DbtoolProfileScanTest,
                         ::testing::Values("win7-x64", "win10-x64-laptop", "winxp-x86"),
                         [](const auto& info) {
                           std::string name = info.param;
                           for (char& c : name) {
                             if (c == '-')
                               c = '_';
                           }
                           return name;
                         });

}  // namespace
}  // namespace tav
