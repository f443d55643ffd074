// Registry files (.reg): what an export writes, and that an import brings
// back every value exactly, applies deletions and refuses broken files whole.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "platform/linux/reg_file.h"
#include "platform/registry.h"
#include "platform/win_errors.h"
#include "tests/support/temp_machine.h"

namespace tav::platform::vpc {
namespace {

using ::testing::HasSubstr;
namespace err = win_error;

constexpr const char* kKey = "Software\\Tavrolin\\Export";

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::stringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

struct NamedValue {
  std::string name;
  RegValue value;
};

std::vector<NamedValue> EveryKindOfValue() {
  std::vector<uint8_t> long_bytes;
  for (int i = 0; i < 300; ++i)
    long_bytes.push_back(static_cast<uint8_t>(i * 7));
  return {
      {"", RegValue::String("default")},
      {"Path", RegValue::String("C:\\Program Files (x86)\\Tavrolin")},
      {"Say \"hi\"\\now", RegValue::String("quote \" and backslash \\")},
      {"Unicode", RegValue::String("Grüße ✓")},
      {"Empty", RegValue::String("")},
      {"Expand", RegValue::String("%SystemRoot%\\inf", RegType::kExpandSz)},
      {"Multi", RegValue::MultiString({"one", "two words", "drei"})},
      {"Dword", RegValue::Dword(0x2A)},
      {"Qword", RegValue::Qword(0x0123456789ABCDEFull)},
      {"Binary", RegValue::Binary(long_bytes)},
      {"NoBytes", RegValue::Binary({})},
      {"None", RegValue{RegType::kNone, {0xAB}}},
      {"ShortDword", RegValue{RegType::kDword, {1, 2}}},
      {"Unterminated", RegValue{RegType::kSz, {'a', 0}}},
  };
}

class RegFileTest : public ::testing::Test {
 protected:
  testing::TempMachine pc_;

  void Write(const std::string& path, const std::vector<NamedValue>& values) {
    RegistryKey key;
    ASSERT_EQ(key.Create(RegRoot::kCurrentUser, path), err::kSuccess);
    for (const NamedValue& v : values)
      ASSERT_EQ(key.SetValue(v.name, v.value), err::kSuccess);
  }
  std::string Export(const std::string& path) {
    std::string text, error;
    EXPECT_TRUE(ExportRegText(RegRoot::kCurrentUser, path, &text, &error)) << error;
    return text;
  }
  void DeleteTree(const std::string& parent, const std::string& name) {
    RegistryKey key;
    ASSERT_EQ(key.Open(RegRoot::kCurrentUser, parent, RegAccess::kAll), err::kSuccess);
    ASSERT_EQ(key.DeleteTree(name), err::kSuccess);
  }
  bool Exists(const std::string& path) {
    RegistryKey key;
    return key.Open(RegRoot::kCurrentUser, path, RegAccess::kRead) == err::kSuccess;
  }
};

TEST_F(RegFileTest, AnExportImportsBackToTheSameBytes) {
  Write(kKey, EveryKindOfValue());
  Write(std::string(kKey) + "\\Sub\\Deeper", {{"Leaf", RegValue::Dword(7)}});
  const std::string text = Export(kKey);
  DeleteTree("Software\\Tavrolin", "Export");

  std::string error;
  ASSERT_TRUE(ImportRegText(text, &error)) << error;
  RegistryKey key;
  ASSERT_EQ(key.Open(RegRoot::kCurrentUser, kKey, RegAccess::kRead), err::kSuccess);
  for (const NamedValue& v : EveryKindOfValue()) {
    SCOPED_TRACE("value \"" + v.name + "\"");
    RegValue read;
    ASSERT_EQ(key.QueryValue(v.name, &read), err::kSuccess);
    EXPECT_EQ(read.type, v.value.type);
    EXPECT_EQ(read.data, v.value.data);
  }
  RegistryKey leaf;
  ASSERT_EQ(key.OpenSubKey("Sub\\Deeper", RegAccess::kRead, &leaf), err::kSuccess);
  RegValue read;
  ASSERT_EQ(leaf.QueryValue("Leaf", &read), err::kSuccess);
  EXPECT_EQ(read.AsDword(), 7u);
  // And a second export of the imported key says the same.
  EXPECT_EQ(Export(kKey), text);
}

TEST_F(RegFileTest, AnExportIsWrittenAsRegeditWritesIt) {
  Write(kKey, {{"", RegValue::String("default")},
               {"Path", RegValue::String("C:\\Program Files\\Tavrolin")},
               {"Count", RegValue::Dword(42)},
               {"Big", RegValue::Qword(0x0123456789ABCDEFull)},
               {"List", RegValue::MultiString({"a"})},
               {"Env", RegValue::String("%", RegType::kExpandSz)}});
  Write(std::string(kKey) + "\\Sub", {});
  EXPECT_EQ(Export(kKey),
            "Windows Registry Editor Version 5.00\r\n"
            "\r\n"
            "[HKEY_CURRENT_USER\\Software\\Tavrolin\\Export]\r\n"
            "@=\"default\"\r\n"
            "\"Path\"=\"C:\\\\Program Files\\\\Tavrolin\"\r\n"
            "\"Count\"=dword:0000002a\r\n"
            "\"Big\"=hex(b):ef,cd,ab,89,67,45,23,01\r\n"
            "\"List\"=hex(7):61,00,00,00,00,00\r\n"
            "\"Env\"=hex(2):25,00,00,00\r\n"
            "\r\n"
            "[HKEY_CURRENT_USER\\Software\\Tavrolin\\Export\\Sub]\r\n"
            "\r\n");
}

std::string HexBytes(int count) {
  std::string text;
  for (int i = 0; i < count; ++i)
    text += "ab,";
  return text;
}

TEST_F(RegFileTest, LongHexDataWrapsAtEightyColumns) {
  Write(kKey, {{"Bin", RegValue::Binary(std::vector<uint8_t>(100, 0xAB))}});
  const std::vector<std::string> lines = Lines(Export(kKey));
  ASSERT_EQ(lines.size(), 9u);
  // Each line holds 80 characters at most, its "\" included; continuation
  // lines start with two blanks. 100 bytes: 23 on the first line, 25 on the
  // next three and the last 2.
  EXPECT_EQ(lines[3], "\"Bin\"=hex:" + HexBytes(23) + "\\\r");
  for (size_t i = 4; i < 7; ++i)
    EXPECT_EQ(lines[i], "  " + HexBytes(25) + "\\\r") << i;
  EXPECT_EQ(lines[7], "  ab,ab\r");
  EXPECT_EQ(lines[3].size(), 81u);
}

TEST_F(RegFileTest, AnImportAppliesDeletionsOfKeysAndValues) {
  Write(kKey, {{"Keep", RegValue::Dword(1)}, {"Old", RegValue::Dword(2)}});
  Write(std::string(kKey) + "\\Gone\\Below", {{"x", RegValue::Dword(3)}});
  Write(std::string(kKey) + "\\Stays", {});
  std::string error;
  ASSERT_TRUE(
      ImportRegText("Windows Registry Editor Version 5.00\r\n\r\n"
                    "[-HKEY_CURRENT_USER\\Software\\Tavrolin\\Export\\Gone]\r\n\r\n"
                    "[HKEY_CURRENT_USER\\Software\\Tavrolin\\Export]\r\n"
                    "\"Old\"=-\r\n"
                    "\"New\"=\"added\"\r\n",
                    &error))
      << error;
  RegistryKey key;
  ASSERT_EQ(key.Open(RegRoot::kCurrentUser, kKey, RegAccess::kRead), err::kSuccess);
  RegValue v;
  EXPECT_EQ(key.QueryValue("Old", &v), err::kFileNotFound);
  EXPECT_EQ(key.QueryValue("Keep", &v), err::kSuccess);
  ASSERT_EQ(key.QueryValue("New", &v), err::kSuccess);
  EXPECT_EQ(v.AsString(), "added");
  EXPECT_FALSE(Exists(std::string(kKey) + "\\Gone"));
  EXPECT_TRUE(Exists(std::string(kKey) + "\\Stays"));
}

TEST_F(RegFileTest, ABrokenFileChangesNothingAndNamesTheLine) {
  const char* broken[] = {
      "\"Value\"=nonsense",        "\"Value\"=hex(zz):00",     "\"Value\"=hex():00",
      "\"Value\"=dword:123456789", "\"Value\"=dword:xyz",      "\"Value\"=hex:0g",
      "\"Unterminated=\"x\"",      "[HKEY_NOWHERE\\Software]",
  };
  for (const char* line : broken) {
    SCOPED_TRACE(line);
    const std::string text = std::string("Windows Registry Editor Version 5.00\r\n\r\n") +
                             "[HKEY_CURRENT_USER\\Software\\Tavrolin\\Partial]\r\n" +
                             "\"First\"=\"written before the broken line\"\r\n" + line + "\r\n";
    std::string error;
    EXPECT_FALSE(ImportRegText(text, &error));
    EXPECT_THAT(error, HasSubstr("line 5"));
    EXPECT_FALSE(Exists("Software\\Tavrolin\\Partial"));
  }
}

TEST_F(RegFileTest, AFileWithoutTheHeaderIsNotARegistryFile) {
  std::string error;
  EXPECT_FALSE(ImportRegText("[HKEY_CURRENT_USER\\Software\\X]\r\n", &error));
  EXPECT_FALSE(ImportRegText("", &error));
  EXPECT_FALSE(Exists("Software\\X"));
}

TEST_F(RegFileTest, ARootKeyIsNeverDeleted) {
  Write(kKey, {{"Keep", RegValue::Dword(1)}});
  std::string error;
  ASSERT_TRUE(
      ImportRegText("Windows Registry Editor Version 5.00\r\n\r\n[-HKEY_CURRENT_USER]\r\n", &error))
      << error;
  EXPECT_TRUE(Exists(kKey));
}

TEST_F(RegFileTest, AnOrdinaryUserCannotImportIntoTheMachineKeys) {
  testing::TempMachine user({{"os", {{"admin", false}}}});
  std::string error;
  EXPECT_FALSE(
      ImportRegText("Windows Registry Editor Version 5.00\r\n\r\n"
                    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tavrolin]\r\n\"a\"=\"b\"\r\n",
                    &error));
  EXPECT_THAT(error, HasSubstr("denied"));
}

TEST(RegFileEncodingTest, FilesAreUtf16WithAByteOrderMarkAndOlderFormsAreRead) {
  testing::TempMachine pc;
  const std::string text =
      "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Grüße]\r\n";
  const std::string bytes = EncodeRegFile(text);
  ASSERT_GE(bytes.size(), 4u);
  EXPECT_EQ(bytes.substr(0, 4), std::string("\xFF\xFE"
                                            "W\0",
                                            4));
  EXPECT_EQ(DecodeRegFile(bytes), text);
  EXPECT_EQ(DecodeRegFile("\xEF\xBB\xBF" + text), text);
  // REGEDIT4 files are in the ANSI code page (1252: E9 is "é").
  EXPECT_EQ(DecodeRegFile("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Caf\xE9]\r\n"),
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Café]\r\n");
  std::string error;
  ASSERT_TRUE(ImportRegText(DecodeRegFile("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Caf\xE9]\r\n"
                                          "\"v\"=\"1\"\r\n"),
                            &error))
      << error;
  RegistryKey key;
  EXPECT_EQ(key.Open(RegRoot::kCurrentUser, "café", RegAccess::kRead), err::kSuccess);
}

}  // namespace
}  // namespace tav::platform::vpc
