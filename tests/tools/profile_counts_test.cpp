// Each bundled profile, made into a PC and scanned by tavrolin-cli devices,
// gives the device-list counts its <profile>.expected.json names.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include <nlohmann/json.hpp>

#include "tests/support/temp_machine.h"
#include "tests/tools/tool_run.h"

namespace tav::testing {
namespace {

using nlohmann::json;

// Sections of an INI text: name to its keys in file order.
using IniSections = std::map<std::string, std::vector<std::pair<std::string, std::string>>>;

IniSections ReadIni(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  IniSections sections;
  std::string current;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    if (line.size() > 1 && line.front() == '[' && line.back() == ']') {
      current = line.substr(1, line.size() - 2);
      sections[current];
    } else if (const size_t eq = line.find('='); eq != std::string::npos && !current.empty()) {
      sections[current].emplace_back(line.substr(0, eq), line.substr(eq + 1));
    }
  }
  return sections;
}

std::string Value(const IniSections& ini, const std::string& section, const std::string& key) {
  const auto it = ini.find(section);
  if (it == ini.end())
    return "";
  for (const auto& [name, value] : it->second) {
    if (name == key)
      return value;
  }
  return "";
}

// The host path tavrolin-cli names in parentheses on its second line.
std::string DevicesIniPath(const std::string& out) {
  const size_t open = out.find("  (");
  const size_t close = out.find(")\n", open);
  return open == std::string::npos || close == std::string::npos
             ? ""
             : out.substr(open + 3, close - open - 3);
}

class ProfileCountsTest : public ::testing::TestWithParam<const char*> {};

TEST_P(ProfileCountsTest, TheDeviceListShowsTheExpectedCounts) {
  const std::string base = std::string(TAVROLIN_MACHINES_DIR) + "/" + GetParam();
  std::ifstream expected_file(base + ".expected.json");
  ASSERT_TRUE(expected_file) << base << ".expected.json";
  const json expected = json::parse(expected_file);

  TempFolder folder;
  const std::string root = folder.path() + "/pc";
  const ToolResult created = RunTool({"create", root, "--profile", base + ".json"});
  ASSERT_EQ(created.exit_code, 0) << created.err;
  const ToolResult scanned = RunProgram("tavrolin-cli", {"devices"}, OnMachine(root));
  ASSERT_EQ(scanned.exit_code, 0) << scanned.out << scanned.err;
  const IniSections ini = ReadIni(DevicesIniPath(scanned.out));
  ASSERT_TRUE(ini.count("Settings")) << scanned.out;

  for (const char* key : {"TotalDevices", "UniqueDevices", "DuplicateDevices", "EmptyDevices",
                          "IgnoreDevices", "ShouldFoundDevices"}) {
    EXPECT_EQ(Value(ini, "Settings", key), std::to_string(expected.at(key).get<int>())) << key;
  }
  const auto errors = ini.find("Errors");
  ASSERT_NE(errors, ini.end());
  ASSERT_FALSE(errors->second.empty());
  EXPECT_EQ(errors->second.front().first, "Dump");
  EXPECT_EQ(static_cast<int>(errors->second.size()) - 1, expected.at("Errors").get<int>());

  // One numbered section per unique device, "0" to UniqueDevices - 1.
  const int unique = expected.at("UniqueDevices").get<int>();
  int numbered = 0;
  for (const auto& [name, keys] : ini) {
    if (!name.empty() && name.find_first_not_of("0123456789") == std::string::npos)
      ++numbered;
  }
  EXPECT_EQ(numbered, unique);
  EXPECT_TRUE(ini.count(std::to_string(unique - 1)));
  EXPECT_EQ(ini.at("Duplicates").size() - 1,
            static_cast<size_t>(expected.at("DuplicateDevices").get<int>()));
  EXPECT_EQ(ini.at("Empty").size() - 1,
            static_cast<size_t>(expected.at("EmptyDevices").get<int>()));
}

INSTANTIATE_TEST_SUITE_P(BundledProfiles,
                         ProfileCountsTest,
                         ::testing::Values("win7-x64", "win10-x64-laptop", "winxp-x86"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           std::string name = info.param;
                           for (char& c : name) {
                             if (c == '-')
                               c = '_';
                           }
                           return name;
                         });

// The built-in default is the bundled win7-x64.json.
TEST(ProfileCountsTest, TheDefaultPcIsTheBundledWindows7Desktop) {
  std::ifstream in(std::string(TAVROLIN_MACHINES_DIR) + "/win7-x64.json");
  const json bundled = json::parse(in);
  TempFolder folder;
  const std::string root = folder.path() + "/pc";
  ASSERT_EQ(RunTool({"create", root}).exit_code, 0);
  std::ifstream made(root + "/machine.json");
  EXPECT_EQ(json::parse(made), bundled);
}

}  // namespace
}  // namespace tav::testing
