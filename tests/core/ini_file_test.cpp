#include "core/ini_file.h"

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "tests/support/temp_machine.h"

namespace tav {
namespace {

TEST(IniFileTest, ParsesTheWayWorkFilesAreWritten) {
  TMemIniFile ini;
  ini.SetText(
      "orphan=ignored\r\n"
      "[Settings]\r\n"
      "  Program = Tavrolin \r\n"
      "; a comment\r\n"
      "\r\n"
      "Empty=\r\n"
      "no equals sign\r\n"
      "[settings]\r\n"
      "Windows=7\r\n"
      "[0]\n"
      "EnumKey=PCI\\VEN_8086&DEV_1C3A\\3&11583659&0&B0\n");
  EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"Settings", "0"}));
  EXPECT_EQ(ini.ReadString("SETTINGS", "program", "x"), "Tavrolin");
  EXPECT_EQ(ini.ReadString("Settings", "Empty", "x"), "") << "an empty value is not absent";
  EXPECT_EQ(ini.ReadString("Settings", "Missing", "x"), "x");
  EXPECT_EQ(ini.ReadInteger("settings", "Windows", 0), 7) << "a repeated section continues the first";
  EXPECT_EQ(ini.ReadSection("Settings"), (std::vector<std::string>{"Program", "Empty", "Windows"}));
  EXPECT_EQ(ini.ReadSectionValues("Settings"),
            (std::vector<std::string>{"Program=Tavrolin", "Empty=", "no equals sign", "Windows=7"}));
  EXPECT_EQ(ini.ReadString("0", "EnumKey", ""), "PCI\\VEN_8086&DEV_1C3A\\3&11583659&0&B0");
  EXPECT_FALSE(ini.SectionExists("orphan"));
}

TEST(IniFileTest, TypedReadsFallBackOnBadText) {
  TMemIniFile ini;
  ini.SetText("[s]\nint=12\nhex=0x1F\nbad=12a\nbool1=1\nbool0=0\nboolx=yes\ndate=12-31-2014\nf=1,5\n");
  EXPECT_EQ(ini.ReadInteger("s", "int", -1), 12);
  EXPECT_EQ(ini.ReadInteger("s", "hex", -1), 31);
  EXPECT_EQ(ini.ReadInteger("s", "bad", -1), -1);
  EXPECT_TRUE(ini.ReadBool("s", "bool1", false));
  EXPECT_FALSE(ini.ReadBool("s", "bool0", true));
  EXPECT_TRUE(ini.ReadBool("s", "boolx", true)) << "unreadable keeps the fallback";
  TFormatSettings work;
  work.short_date_format = "mm-dd-yyyy";
  work.date_separator = '-';
  EXPECT_EQ(ini.ReadDate("s", "date", 0, work), 42004.0);
  EXPECT_EQ(ini.ReadDate("s", "int", -3, work), -3);
  TFormatSettings comma;
  comma.decimal_separator = ',';
  EXPECT_DOUBLE_EQ(ini.ReadFloat("s", "f", 0, comma), 1.5);
}

TEST(IniFileTest, WritesKeepOrderAndCase) {
  TMemIniFile ini;
  ini.WriteString("Settings", "Program", "Tavrolin");
  ini.WriteBool("Settings", "x64", true);
  ini.WriteInteger("Errors", "Dump", 0);
  ini.WriteString("settings", "PROGRAM", "Other");
  EXPECT_EQ(ini.GetText(),
            "[Settings]\r\nProgram=Other\r\nx64=1\r\n\r\n[Errors]\r\nDump=0\r\n\r\n");
  ini.DeleteKey("Settings", "program");
  ini.EraseSection("ERRORS");
  EXPECT_EQ(ini.GetText(), "[Settings]\r\nx64=1\r\n\r\n");
  EXPECT_FALSE(ini.ValueExists("Settings", "Program"));
}

TEST(IniFileTest, AppendedLinesReadAsTheSameLinesOfAFile) {
  const std::vector<std::string> lines = {" Status = Success ", "", "; note", "Count=2",
                                          "no equals sign", "Key\u00c4=\u00e4"};
  TMemIniFile appended;
  appended.WriteString("12", "EnumKey", "PCI\\X");
  appended.AppendLines("12", lines);
  appended.AppendLines("12-drv-0", {"Winner=1"});
  TMemIniFile read;
  read.SetText(appended.GetText());
  EXPECT_EQ(appended.GetText(), read.GetText());
  EXPECT_EQ(appended.ReadSectionValues("12"),
            (std::vector<std::string>{"EnumKey=PCI\\X", "Status=Success", "Count=2",
                                      "no equals sign", "Key\u00c4=\u00e4"}));
  EXPECT_EQ(appended.ReadString("12", "status", ""), "Success");
  EXPECT_EQ(appended.ReadString("12", "key\u00e4", ""), "\u00e4") << "Latin-1 keys fold too";
  EXPECT_EQ(appended.ReadInteger("12-DRV-0", "winner", 0), 1);
}

TEST(IniFileTest, SavesInOnePieceInTheAnsiCodePage) {
  testing::TempMachine pc;
  const std::string path = "C:\\Users\\Alex\\AppData\\Roaming\\test.ini";
  TMemIniFile ini(path);
  ini.WriteString("0", "DeviceDesc", "Caf\xC3\xA9 \xE2\x82\xAC \xE4\xB8\xAD");  // "Café € 中"
  ASSERT_TRUE(ini.UpdateFile());
  // CP1252: é = E9, € = 80; the CJK character has no place there and becomes "?".
  EXPECT_EQ(pc.ReadFile(path), "[0]\r\nDeviceDesc=Caf\xE9 \x80 ?\r\n\r\n");
  EXPECT_FALSE(platform::FileExists(path + ".saving")) << "no temporary file is left";
  const TMemIniFile back(path);
  EXPECT_EQ(back.ReadString("0", "DeviceDesc", ""), "Caf\xC3\xA9 \xE2\x82\xAC ?");
}

TEST(IniFileTest, FailedSaveLeavesTheOldFile) {
  testing::TempMachine pc;
  const std::string path = "C:\\Users\\Alex\\AppData\\Roaming\\kept.ini";
  pc.WriteFile(path, "[a]\r\nb=1\r\n");
  TMemIniFile ini(path);
  ini.WriteString("a", "b", "2");
  // The temporary file's place is taken by a folder: the save cannot start.
  ASSERT_TRUE(platform::CreateDirectory(path + ".saving"));
  EXPECT_FALSE(ini.UpdateFile());
  EXPECT_EQ(pc.ReadFile(path), "[a]\r\nb=1\r\n");
  EXPECT_FALSE(TMemIniFile("C:\\no\\such\\folder\\x.ini").UpdateFile());
}

}  // namespace
}  // namespace tav
