// The INF reader on INF text as vendors write it: sections, comments,
// quotes, continuation lines, strings, DriverVer, manufacturers and their
// platform decorations, model lines, and the three encodings.
#include "matching/inf_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "matching/inf_target.h"

namespace tav {
namespace {

using ::testing::ElementsAre;

InfTarget Target(int os_code, bool is_64bit) {
  return *InfTargetForOsCode(os_code, is_64bit);
}

constexpr const char* kRealtekInf = R"inf(; Realtek network adapter
; lines before the first section are not part of any section
Stray = 1

[Version]
Signature   = "$Windows NT$"
Class       = Net
ClassGUID   = {4d36e972-e325-11ce-bfc1-08002be10318}
Provider    = %Realtek%
CatalogFile = rt64win7.cat
DriverVer   = 03/21/2014,7.083.0321.2014

[Manufacturer]
%Realtek%   = Realtek, NTamd64.6.1, NTamd64.6.2, NTx86.6.1

[Realtek.NTamd64.6.1]
%RTL8168.DeviceDesc% = RTL8168.ndi, PCI\VEN_10EC&DEV_8168&SUBSYS_84321043, PCI\VEN_10EC&DEV_8168
%RTL8168.DeviceDesc% = RTL8168.ndi, \
                       PCI\VEN_10EC&DEV_8168   ; continued on the next line

[Realtek.NTamd64.6.2]
%RTL8168.DeviceDesc% = RTL8168.ndi.NT62, PCI\VEN_10EC&DEV_8168

[realtek.ntx86.6.1]
"Realtek ""PCIe"" GBE; x86" = RTL8168.ndi, PCI\VEN_10EC&DEV_8168

[RTL8168.ndi.NT]
CopyFiles = RTL8168.CopyFiles   ; the driver
AddReg    = RTL8168.reg, "param, list"

[rtl8168.ndi.nt]
Characteristics = 0x84

[Strings]
Realtek            = "Realtek"
RTL8168.DeviceDesc = "Realtek PCIe GBE Family Controller"
Percent            = "100%"

[Strings.0407]
RTL8168.DeviceDesc = "Realtek PCIe GBE Familien-Controller"
)inf";

TEST(InfFileTest, SectionsKeepFileOrderMergeRepeatsAndIgnoreLetterCase) {
  const InfFile inf = InfFile::FromText(kRealtekInf);
  EXPECT_THAT(inf.SectionNames(),
              ElementsAre("Version", "Manufacturer", "Realtek.NTamd64.6.1", "Realtek.NTamd64.6.2",
                          "realtek.ntx86.6.1", "RTL8168.ndi.NT", "Strings", "Strings.0407"));
  EXPECT_TRUE(inf.HasSection("VERSION"));
  EXPECT_FALSE(inf.HasSection("Stray"));
  const auto& ndi = inf.Lines("rtl8168.NDI.nt");
  ASSERT_EQ(ndi.size(), 3u);
  EXPECT_EQ(ndi[2].key, "Characteristics");
  EXPECT_TRUE(inf.Lines("Missing").empty());
}

TEST(InfFileTest, CommentsQuotesAndContinuationLines) {
  const InfFile inf = InfFile::FromText(kRealtekInf);
  const InfLine* copy = inf.FindLine("RTL8168.ndi.NT", "copyfiles");
  ASSERT_NE(copy, nullptr);
  EXPECT_THAT(copy->fields, ElementsAre("RTL8168.CopyFiles"));
  EXPECT_THAT(inf.FindLine("RTL8168.ndi.NT", "AddReg")->fields,
              ElementsAre("RTL8168.reg", "param, list"));
  const auto& models = inf.Lines("Realtek.NTamd64.6.1");
  ASSERT_EQ(models.size(), 2u);
  EXPECT_THAT(models[1].fields, ElementsAre("RTL8168.ndi", "PCI\\VEN_10EC&DEV_8168"));
  const auto& x86 = inf.Lines("Realtek.NTx86.6.1");
  ASSERT_EQ(x86.size(), 1u);
  EXPECT_EQ(x86[0].key, "Realtek \"PCIe\" GBE; x86");
  EXPECT_EQ(x86[0].raw_key, "\"Realtek \"\"PCIe\"\" GBE; x86\"");
}

TEST(InfFileTest, StringsReplaceTokensAndTheLocaleSectionWins) {
  const InfFile english = InfFile::FromText(kRealtekInf);
  EXPECT_EQ(english.Provider(), "Realtek");
  EXPECT_EQ(english.String("rtl8168.devicedesc"), "Realtek PCIe GBE Family Controller");
  EXPECT_EQ(english.Lines("Realtek.NTamd64.6.1")[0].key, "Realtek PCIe GBE Family Controller");
  const InfFile german = InfFile::FromText(kRealtekInf, "0407");
  EXPECT_EQ(german.String("RTL8168.DeviceDesc"), "Realtek PCIe GBE Familien-Controller");
  EXPECT_EQ(german.Provider(), "Realtek");

  struct Row {
    const char* raw;
    const char* resolved;
  };
  const Row rows[] = {
      {"%Realtek%", "Realtek"},
      {"%realtek% Inc.", "Realtek Inc."},
      {"100%%", "100%"},
      {"%Percent% done", "100% done"},
      {"%Unknown%", "%Unknown%"},
      {"\"%Realtek%, quoted\"", "Realtek, quoted"},
      {"\"say \"\"hi\"\"\"", "say \"hi\""},
      {"50% off", "50% off"},
      {"%12%\\rt64win7.sys", "%12%\\rt64win7.sys"},
  };
  for (const Row& row : rows)
    EXPECT_EQ(english.Resolve(row.raw), row.resolved) << "raw: " << row.raw;
}

TEST(InfFileTest, DriverVerGivesTheDateAndVersion) {
  struct Row {
    const char* line;
    const char* date;
    const char* version;
  };
  const Row rows[] = {
      {"DriverVer = 03/21/2014,7.083.0321.2014", "2014-03-21", "7.083.0321.2014"},
      {"DriverVer=6/1/2009, 6.1.7600.16385", "2009-06-01", "6.1.7600.16385"},
      {"DriverVer = 12/31/2015", "2015-12-31", ""},
      {"DriverVer = %Date%, %Ver%", "2016-02-29", "10.1"},
      {"DriverVer = 13/01/2014,1.0", "", "1.0"},
      {"DriverVer = 01/01/14,1.0", "", "1.0"},
      {"Provider = x", "", ""},
  };
  for (const Row& row : rows) {
    const InfFile inf = InfFile::FromText(std::string("[Version]\n") + row.line +
                                          "\n[Strings]\nDate=02/29/2016\nVer=10.1\n");
    EXPECT_EQ(inf.DriverVer().date, row.date) << row.line;
    EXPECT_EQ(inf.DriverVer().version, row.version) << row.line;
  }
}

TEST(InfFileTest, ModelsAreReadFromTheBestDecorationForTheTarget) {
  const InfFile inf = InfFile::FromText(kRealtekInf);
  const auto manufacturers = inf.Manufacturers();
  ASSERT_EQ(manufacturers.size(), 1u);
  EXPECT_EQ(manufacturers[0].name, "Realtek");
  EXPECT_EQ(manufacturers[0].models, "Realtek");
  EXPECT_THAT(manufacturers[0].decorations, ElementsAre("NTamd64.6.1", "NTamd64.6.2", "NTx86.6.1"));

  struct Row {
    int os_code;
    bool is_64bit;
    const char* section;
  };
  const Row rows[] = {
      {5, true, ""},
      {5, false, ""},
      {6, true, ""},
      {7, true, "Realtek.NTamd64.6.1"},
      {7, false, "Realtek.NTx86.6.1"},
      {8, true, "Realtek.NTamd64.6.2"},
      {81, true, "Realtek.NTamd64.6.2"},
      {10, true, "Realtek.NTamd64.6.2"},
      {10, false, "Realtek.NTx86.6.1"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(inf.ModelsSection(manufacturers[0], Target(row.os_code, row.is_64bit)), row.section)
        << "OS " << row.os_code << (row.is_64bit ? " 64-bit" : " 32-bit");
  }
  const auto models = inf.Models(manufacturers[0], Target(7, true));
  ASSERT_EQ(models.size(), 2u);
  EXPECT_EQ(models[0].description, "Realtek PCIe GBE Family Controller");
  EXPECT_EQ(models[0].install_section, "RTL8168.ndi");
  EXPECT_THAT(models[0].ids,
              ElementsAre("PCI\\VEN_10EC&DEV_8168&SUBSYS_84321043", "PCI\\VEN_10EC&DEV_8168"));
  EXPECT_EQ(inf.Models(manufacturers[0], Target(8, true))[0].install_section, "RTL8168.ndi.NT62");
}

TEST(InfFileTest, UndecoratedModelsServeX86Only) {
  const InfFile inf = InfFile::FromText(
      "[Manufacturer]\n%Mfg%=Std\nGeneric\n[Std]\n%Dev%=Inst,ACPI\\PNP0303\n"
      "[Generic]\nKeyboard=Inst,*PNP0303\n[Strings]\nMfg=\"(Standard keyboards)\"\nDev=\"PS/2 "
      "Keyboard\"\n");
  const auto manufacturers = inf.Manufacturers();
  ASSERT_EQ(manufacturers.size(), 2u);
  EXPECT_EQ(manufacturers[0].name, "(Standard keyboards)");
  EXPECT_EQ(manufacturers[1].name, "Generic");
  EXPECT_EQ(inf.ModelsSection(manufacturers[0], Target(7, false)), "Std");
  EXPECT_EQ(inf.ModelsSection(manufacturers[0], Target(7, true)), "");
  EXPECT_THAT(inf.Models(manufacturers[1], Target(5, false))[0].ids, ElementsAre("*PNP0303"));
}

TEST(InfFileTest, DecorationsApplyAsWindowsChoosesThem) {
  struct Row {
    std::vector<std::string> decorations;
    int os_code;
    bool is_64bit;
    int chosen;
  };
  const Row rows[] = {
      {{"NTamd64"}, 7, true, 0},
      {{"NTamd64"}, 7, false, -1},
      {{"NT"}, 7, false, 0},
      {{"NT"}, 7, true, -1},
      {{"NTx86", "NT"}, 5, false, 0},
      {{"NT", "NTx86"}, 5, false, 1},
      {{"NTamd64", "NTamd64.6.1"}, 7, true, 1},
      {{"NTamd64.6.1", "NTamd64"}, 6, true, 1},
      {{"NTamd64.6.0", "NTamd64.6.1", "NTamd64.6.3"}, 8, true, 1},
      {{"NTamd64.10.0", "NTamd64.6.3"}, 10, true, 0},
      {{"ntAMD64.6.1"}, 7, true, 0},
      {{"NTamd64.6.1.1"}, 7, true, 0},
      {{"NTamd64.6.1.3"}, 7, true, -1},
      {{"NTamd64.10.0...16299", "NTamd64.10.0"}, 10, true, 0},
      {{"NTamd64.10.0...99999", "NTamd64.10.0"}, 10, true, 1},
      {{"NTarm64", "NTia64"}, 10, true, -1},
      {{"Win2000", "NTamd64.x"}, 7, true, -1},
  };
  for (size_t i = 0; i < std::size(rows); ++i) {
    const Row& row = rows[i];
    EXPECT_EQ(ChooseInfDecoration(row.decorations, Target(row.os_code, row.is_64bit)), row.chosen)
        << "row " << i << ": " << ::testing::PrintToString(row.decorations) << " for OS "
        << row.os_code;
  }
}

TEST(InfFileTest, IniValuesAreCutAtTheirFirstSemicolon) {
  const InfFile inf = InfFile::FromText(
      "[Install.NT]\nCopyFiles = Drv.Copy, \"Tool.Copy\" ; the tools\nInclude=machine.inf\n"
      "Needs = \"a;b\"\n[DestinationDirs]\nDefaultDestDir = 12\n");
  EXPECT_EQ(inf.ReadIniValue("install.nt", "copyfiles"), "Drv.Copy, \"Tool.Copy\"");
  EXPECT_EQ(inf.ReadIniValue("Install.NT", "Include"), "machine.inf");
  EXPECT_EQ(inf.ReadIniValue("Install.NT", "Needs"), "\"a");
  EXPECT_EQ(inf.ReadIniValue("Install.NT", "Missing"), "");
  EXPECT_TRUE(inf.IniSectionExists("destinationdirs"));
  EXPECT_FALSE(inf.IniSectionExists("Drv.Copy"));
}

TEST(InfFileTest, TheThreeEncodingsReadAlike) {
  const std::string text =
      "[Version]\r\nProvider=%P%\r\n[Strings]\r\nP=\"Caf\xC3\xA9 \xC2\xAE\"\r\n";
  std::string utf16 = "\xFF\xFE";
  for (char16_t c :
       std::u16string(u"[Version]\r\nProvider=%P%\r\n[Strings]\r\nP=\"Caf\u00e9 \u00ae\"\r\n")) {
    utf16 += static_cast<char>(c & 0xFF);
    utf16 += static_cast<char>(c >> 8);
  }
  const std::string ansi = "[Version]\r\nProvider=%P%\r\n[Strings]\r\nP=\"Caf\xE9 \xAE\"\r\n";
  EXPECT_EQ(InfFile::FromText(text).Provider(), "Caf\xC3\xA9 \xC2\xAE");
  EXPECT_EQ(InfFile::FromBytes(utf16, 1252).Provider(), "Caf\xC3\xA9 \xC2\xAE");
  EXPECT_EQ(InfFile::FromBytes("\xEF\xBB\xBF" + text, 1252).Provider(), "Caf\xC3\xA9 \xC2\xAE");
  EXPECT_EQ(InfFile::FromBytes(ansi, 1252).Provider(), "Caf\xC3\xA9 \xC2\xAE");
  EXPECT_EQ(InfFile::FromBytes(ansi, 1252).TextLines().size(), 4u);
}

}  // namespace
}  // namespace tav
