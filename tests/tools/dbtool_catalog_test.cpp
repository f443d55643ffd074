// tavrolin-dbtool catalog: every case of the matching on the sample PC, real
// INF syntax whose copied files are in the packages, the same bytes on every
// run, and catalogs for the project's virtual PC profiles.
#include <archive.h>
#include <archive_entry.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "core/md5.h"
#include "matching/inf_file.h"
#include "matching/inf_file_list.h"
#include "tests/net/service_content.h"
#include "tests/support/temp_machine.h"
#include "tests/tools/dbtool_run.h"
#include "tests/tools/sample_profile.h"

namespace tav {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using ::testing::HasSubstr;
using testing::ReadHost;
using testing::RunDbtool;
using testing::WriteHost;

std::map<std::string, std::string> ReadZip(const std::string& path) {
  std::map<std::string, std::string> items;
  archive* a = archive_read_new();
  archive_read_support_format_zip(a);
  if (archive_read_open_filename(a, path.c_str(), 65536) == ARCHIVE_OK) {
    archive_entry* e = nullptr;
    while (archive_read_next_header(a, &e) == ARCHIVE_OK) {
      std::string bytes(static_cast<size_t>(archive_entry_size(e)), '\0');
      archive_read_data(a, bytes.data(), bytes.size());
      items[archive_entry_pathname(e)] = bytes;
    }
  }
  archive_read_free(a);
  return items;
}

std::map<std::string, std::string> FolderFiles(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::directory_iterator(folder))
    files[e.path().filename().string()] = ReadHost(e.path().string());
  return files;
}

class DbtoolCatalogTest : public ::testing::Test {
 protected:
  json Catalog(const std::string& out) {
    const testing::ProgramResult r = RunDbtool({"catalog", "--profile", profile_, "--out", out});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    return json::parse(ReadHost(out + "/expected.json"), nullptr, false);
  }
  void SetUp() override {
    profile_ = folder_.path() + "/sample.json";
    WriteHost(profile_, testing::SampleCatalogProfile().dump(2));
  }
  testing::TempFolder folder_;
  std::string profile_;
};

TEST_F(DbtoolCatalogTest, TheSamplePcCarriesEveryCaseWithItsOutcome) {
  const std::string out = folder_.path() + "/catalog";
  const json expected = Catalog(out);
  ASSERT_TRUE(expected.is_object());
  EXPECT_EQ(expected["unassigned"], json::array());
  EXPECT_EQ(expected["database"], json({{"arch", 64}, {"os", 7}}));
  struct Row {
    const char* case_name;
    const char* outcome;
    size_t devices;
    const char* winner_ends;  // "" when there is no winner
  };
  const Row rows[] = {
      {"newer-by-version", "Success", 1, "_newer_version.zip"},
      {"newer-by-date", "Success", 1, "_newer_date.zip"},
      {"same-version-other-date", "VerDots", 1, ""},
      {"vendor-declined", "Vendor", 1, ""},
      {"verdots-declined", "VerDots", 1, ""},
      {"synaptics-elan", "Vendor", 1, ""},
      {"inbox-device", "Success", 1, "_inbox_update.zip"},
      {"compatible-id-only", "Success", 1, "_compatible.zip"},
      {"one-package-two-devices", "Success", 2, "_multi_device.zip"},
      {"two-packages-later-date", "Success", 1, "_update_b.zip"},
      {"two-packages-equal-dates", "Success", 1, "_same_day_a.zip"},
      {"installer-program", "Success", 1, "_setup.zip"},
      {"already-installed", "Pending", 1, "_installed.zip"},
      {"driverless-device", "Success", 1, "_first_driver.zip"},
  };
  std::map<std::string, std::vector<std::string>> devices_of;
  for (const auto& [id, e] : expected["devices"].items()) {
    if (e["outcome"].is_string())
      devices_of[e["case"].get<std::string>()].push_back(id);
  }
  for (const Row& row : rows) {
    SCOPED_TRACE(row.case_name);
    ASSERT_EQ(devices_of[row.case_name].size(), row.devices);
    for (const std::string& id : devices_of[row.case_name]) {
      const json& e = expected["devices"][id];
      EXPECT_EQ(e["outcome"], row.outcome);
      if (*row.winner_ends) {
        ASSERT_TRUE(e["package"].is_string());
        EXPECT_THAT(e["package"].get<std::string>(), ::testing::EndsWith(row.winner_ends));
        EXPECT_TRUE(fs::exists(out + "/" + e["package"].get<std::string>()));
      } else {
        EXPECT_TRUE(e["package"].is_null());
      }
    }
  }
  EXPECT_EQ(expected["devices"]["ACPI\\PNP0C0C\\2&DABA3FF&1"]["outcome"], nullptr);
  EXPECT_EQ(expected["devices"].size(), testing::SampleCatalogProfile()["devices"].size());
  const json registry = json::parse(ReadHost(out + "/registry.json"));
  ASSERT_EQ(registry.size(), 1u);
  const std::string pending = devices_of["already-installed"][0];
  EXPECT_EQ(registry[0]["key"],
            "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\DriverSettings\\" +
                pending);
  EXPECT_EQ(registry[0]["values"][0]["data"],
            testing::Md5Hex(
                ReadHost(out + "/" + expected["devices"][pending]["package"].get<std::string>())));
}

TEST_F(DbtoolCatalogTest, PackagesHoldRealInfsAndTheFilesTheyCopy) {
  const std::string out = folder_.path() + "/catalog";
  Catalog(out);
  int packages = 0;
  for (const auto& entry : fs::directory_iterator(out)) {
    if (entry.path().extension() != ".zip")
      continue;
    ++packages;
    const std::string name = entry.path().filename().string();
    SCOPED_TRACE(name);
    EXPECT_THAT(name, ::testing::MatchesRegex("[0-9]+_[a-z0-9_]+\\.zip"));
    const auto items = ReadZip(entry.path().string());
    int infs = 0;
    for (const auto& [path, bytes] : items) {
      if (fs::path(path).extension() != ".inf")
        continue;
      ++infs;
      const InfFile inf = InfFile::FromBytes(bytes, 1252);
      const std::string folder = path.substr(0, path.rfind('/') + 1);
      EXPECT_FALSE(inf.DriverVer().date.empty()) << path;
      EXPECT_FALSE(inf.Manufacturers().empty()) << path;
      EXPECT_TRUE(items.count(folder + inf.Value("Version", "CatalogFile"))) << path;
      for (const std::string& section : SplitInfList(inf.ReadIniValue("Install.NT", "CopyFiles"))) {
        const auto names = CopySectionFileNames(inf.TextLines(), section);
        EXPECT_FALSE(names.empty()) << path << " " << section;
        for (const std::string& file : names)
          EXPECT_TRUE(items.count(folder + file)) << path << " " << file;
      }
    }
    EXPECT_GE(infs, 1);
    EXPECT_TRUE(fs::exists(fs::path(entry.path()).replace_extension(".json")));
  }
  EXPECT_EQ(packages, 16);
}

TEST_F(DbtoolCatalogTest, TheSameProfileGivesTheSameBytes) {
  Catalog(folder_.path() + "/one");
  Catalog(folder_.path() + "/two");
  const auto one = FolderFiles(folder_.path() + "/one");
  const auto two = FolderFiles(folder_.path() + "/two");
  ASSERT_EQ(one.size(), two.size());
  for (const auto& [name, bytes] : one)
    EXPECT_TRUE(two.count(name) && two.at(name) == bytes) << name;
}

TEST_F(DbtoolCatalogTest, TheProjectProfilesGetCatalogsThatBuild) {
  for (const auto& entry :
       fs::directory_iterator(std::string(TAVROLIN_SOURCE_DIR) + "/data/machines")) {
    const std::string file = entry.path().filename().string();
    if (entry.path().extension() != ".json" || file.find(".expected.") != std::string::npos)
      continue;
    SCOPED_TRACE(file);
    const std::string out = folder_.path() + "/" + file;
    const testing::ProgramResult r =
        RunDbtool({"catalog", "--profile", entry.path().string(), "--out", out});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    const json expected = json::parse(ReadHost(out + "/expected.json"));
    const json profile = json::parse(ReadHost(entry.path().string()));
    EXPECT_EQ(expected["devices"].size(), profile.value("devices", json::array()).size());
    const testing::ProgramResult build =
        RunDbtool({"build", "--catalog", out, "--out", out + "/drivers.db", "--arch",
                   std::to_string(expected["database"]["arch"].get<int>()), "--os",
                   std::to_string(expected["database"]["os"].get<int>())});
    EXPECT_EQ(build.exit_code, 0) << build.err;
    EXPECT_EQ(build.err, "") << "every package of the catalog yields rows";
  }
}

TEST_F(DbtoolCatalogTest, BadProfilesAndArguments) {
  WriteHost(folder_.path() + "/broken.json", "{ not json");
  WriteHost(folder_.path() + "/typed.json", R"({"os": {"major": "six"}, "devices": []})");
  struct Row {
    std::vector<std::string> args;
    int exit_code;
    const char* message;
  };
  const Row rows[] = {
      {{"catalog", "--profile", folder_.path() + "/missing.json", "--out", folder_.path() + "/x"},
       1,
       "cannot read"},
      {{"catalog", "--profile", folder_.path() + "/broken.json", "--out", folder_.path() + "/x"},
       1,
       "not a JSON"},
      {{"catalog", "--profile", folder_.path() + "/typed.json", "--out", folder_.path() + "/x"},
       1,
       "typed.json"},
      {{"catalog", "--profile", profile_}, 2, "needs --profile and --out"},
      {{"catalog", "--out", folder_.path() + "/x", "--devices", "3"}, 2, "unknown argument"},
  };
  for (size_t i = 0; i < std::size(rows); ++i) {
    const testing::ProgramResult r = RunDbtool(rows[i].args);
    EXPECT_EQ(r.exit_code, rows[i].exit_code) << "row " << i << ": " << r.err;
    EXPECT_THAT(r.err, HasSubstr(rows[i].message)) << "row " << i;
  }
}

}  // namespace
}  // namespace tav
