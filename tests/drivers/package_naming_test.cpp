// The texts a package shows: its display name from its device names, its
// vendor word and its key.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drivers/package_key.h"
#include "drivers/package_naming.h"
#include "drivers/package_vendor.h"

namespace tav {
namespace {

TEST(CleanNameTest, RemovesTrademarksDriverWordsAndTheVendor) {
  struct Row {
    const char* text;
    const char* vendor;
    const char* expected;
  };
  const Row rows[] = {
      {"Intel(R) HD Graphics 4000", "Intel", "HD Graphics 4000"},
      {"Intel(TM) Rapid Storage Technology Driver", "Intel", "Rapid Storage Technology"},
      {"NVIDIA GeForce driver package", "NVIDIA", "GeForcepackage"},
      {"Realtek High Definition Audio Driver ", "Realtek", "High Definition Audio"},
      {"REALTEK  PCIe   GBE", "Realtek", "PCIe  GBE"},
      {"Realtek", "Realtek", "Realtek"},
      {"RealtekAudio", "Realtek", "RealtekAudio"},
      {"intel(r) Management Engine", "Intel", "Management Engine"},
      {"Intel(r) Management Engine", "Intel", "Management Engine"},
      {"intel(r) Management Engine", "AMD", "intel(r) Management Engine"},
      {"Conexant (r) audio", "Conexant", "(r) audio"},
      {"Display (tm) DRIVER", "", "Display (tm) DRIVER"},
      {"  HP   LaserJet  ", "Canon", "HP  LaserJet"},
      {"", "Intel", ""},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(CleanName(r.text, r.vendor), r.expected) << "\"" << r.text << "\" / " << r.vendor;
  }
}

TEST(CommonNameTest, ThresholdIsHalfTheNamesAndOneMoreBelowFour) {
  const std::pair<size_t, int> rows[] = {{1, 1}, {2, 2}, {3, 2}, {4, 2},
                                         {5, 2}, {6, 3}, {7, 3}, {10, 5}};
  for (const auto& [names, threshold] : rows) {
    EXPECT_EQ(CommonNameThreshold(names), threshold) << names << " names";
  }
}

std::vector<std::string> Keys(const std::vector<TWordInfo>& words) {
  std::vector<std::string> keys;
  for (const TWordInfo& w : words)
    keys.push_back(w.Key + ":" + std::to_string(w.Position) + "x" + std::to_string(w.Count));
  return keys;
}

TEST(AddWordTest, SkipsNoiseAndTheVendor) {
  struct Row {
    const char* word;
    bool counted;
  };
  const Row rows[] = {{"", false},
                      {"-", false},
                      {"driver", false},
                      {"Drivers", false},
                      {"DRIVERX", false},
                      {"contolador", false},
                      {"Contoladores", false},
                      {"realtek", false},
                      {"REALTEK", false},
                      {"Realtek2", true},
                      {"--", true},
                      {"adriver", true},
                      {"controlador", true}};
  for (const Row& r : rows) {
    std::vector<TWordInfo> words;
    AddWord(&words, r.word, 1, "Realtek");
    EXPECT_EQ(words.size(), r.counted ? 1u : 0u) << "\"" << r.word << "\"";
  }
}

TEST(AddWordTest, CountsRepeatsAndKeepsTheOrderOfFirstPositions) {
  std::vector<TWordInfo> words;
  AddWord(&words, "PCIe", 2, "");
  AddWord(&words, "GBE", 3, "");
  AddWord(&words, "Family", 4, "");
  AddWord(&words, "pcie", 2, "");
  AddWord(&words, "FE", 3, "");     // after GBE, before Family
  AddWord(&words, "Intel", 1, "");  // before everything
  AddWord(&words, "Wide", 9, "");
  AddWord(&words, "FAMILY", 1, "");  // a repeat keeps its first position
  EXPECT_EQ(Keys(words), (std::vector<std::string>{"intel:1x1", "pcie:2x2", "gbe:3x1", "fe:3x1",
                                                   "family:4x2", "wide:9x1"}));
  EXPECT_EQ(words[1].Word, "PCIe") << "the word as first seen";
}

TEST(CommonNameTest, SharedWordsOrTheNamesThemselves) {
  struct Row {
    const char* what;
    std::vector<std::string> names;
    const char* vendor;
    const char* expected;
  };
  const Row rows[] = {
      {"the vendor is skipped, GBE and FE are below 2",
       {"Realtek PCIe GBE Family Controller", "Realtek PCIe FE Family Controller"},
       "Realtek",
       "PCIe Family Controller"},
      {"one name is only cleaned", {"Intel(R) HD Graphics 4000"}, "Intel", "HD Graphics 4000"},
      {"nothing shared: the cleaned names",
       {"Intel(R) USB Hub", "Intel SMBus"},
       "Intel",
       "USB Hub, SMBus"},
      {"names without blanks count at position 1", {"Hub", "hub", "Root"}, "", "Hub, hub, Root"},
      {"brackets split words, trademarks vanish",
       {"ATI Radeon(TM) HD (5450)", "ATI Radeon HD 5450 Series"},
       "ATI",
       "Radeon HD 5450"},
      {"blank names are left out of the words, not of the count",
       {"Intel(R) USB Hub", " ", "Intel(R) USB Hub"},
       "Intel",
       "USB Hub"},
      {"a short last name: at least two shared words do",
       {"A B C D E F G H I J", "A B X Y Z", "A B"},
       "",
       "A B"},
      {"a long last name needs a third of its words shared",
       {"A B", "A B X Y Z", "A B C D E F G H I J"},
       "",
       "A B, A B X Y Z, A B C D E F G H I J"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(CommonName(r.names, r.vendor), r.expected) << r.what;
  }
}

TEST(CommonNameTest, ALongFallbackIsCutTo97CharactersAndAnEllipsis) {
  const std::vector<std::string> names = {
      "Alpha Bravo Charlie Delta Echo Foxtrot", "Golf Hotel India Juliett Kilo Lima",
      "Mike November Oscar Papa Quebec Romeo", "Sierra Tango Uniform Victor Whiskey"};
  const std::string name = CommonName(names, "");
  EXPECT_EQ(name.size(), 100u);
  EXPECT_EQ(name,
            std::string("Alpha Bravo Charlie Delta Echo Foxtrot, Golf Hotel India Juliett Kilo "
                        "Lima, Mike November Oscar P") +
                "...");
  // Exactly 100 characters stay whole.
  const std::vector<std::string> hundred = {std::string(49, 'a'), std::string(49, 'b')};
  EXPECT_EQ(CommonName(hundred, ""), std::string(49, 'a') + ", " + std::string(49, 'b'));
}

TEST(PackageVendorTest, NormalisedAndCasedAsUsersKnowThem) {
  struct Row {
    const char* vendor;
    const char* expected;
  };
  const Row rows[] = {
      {"Hewlett-Packard", "HP"},
      {"HP", "HP"},
      {"Advanced Micro Devices", "AMD"},
      {"ATI", "ATI"},
      {"NVDA", "NVIDIA"},
      {"REALTEK", "Realtek"},
      {"Realtek Semiconductor Corp.", "Realtek"},
      {"INTEL", "Intel"},
      {"", ""},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(PackageVendor(r.vendor), r.expected) << "\"" << r.vendor << "\"";
  }
}

TEST(PackageKeyTest, TheNameAfterItsFirstUnderscore) {
  const std::pair<std::string, std::string> rows[] = {
      {"1234_pkg.zip", "pkg.zip"},
      {"99_pkg.zip", "pkg.zip"},
      {"1_intel_lan_v2.zip", "intel_lan_v2.zip"},
      {"package.zip", "package.zip"},
      {"_x", "x"},
      {"7_", ""},
      {"1_" + std::string(300, 'k'), std::string(250, 'k')},
  };
  for (const auto& [name, key] : rows) {
    EXPECT_EQ(PackageKey(name), key) << name.substr(0, 40);
  }
}

}  // namespace
}  // namespace tav
