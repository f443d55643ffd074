// The registry of the virtual PC through RegistryKey, as the program uses it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/win_errors.h"
#include "tests/support/temp_machine.h"

namespace tav::platform {
namespace {

using ::testing::ElementsAre;
namespace err = win_error;

constexpr const char* kBase = "Software\\Tavrolin\\Tests";

class RegistryTest : public ::testing::Test {
 protected:
  testing::TempMachine pc_;
  RegistryKey base_;

  void SetUp() override { ASSERT_EQ(base_.Create(RegRoot::kCurrentUser, kBase), err::kSuccess); }

  std::vector<std::string> SubKeys(const RegistryKey& key) {
    std::vector<std::string> names;
    EXPECT_EQ(key.EnumSubKeys(&names), err::kSuccess);
    return names;
  }
  std::vector<std::string> Values(const RegistryKey& key) {
    std::vector<std::string> names;
    EXPECT_EQ(key.EnumValues(&names), err::kSuccess);
    return names;
  }
};

TEST_F(RegistryTest, NamesMatchWithoutCaseAndKeepTheCaseTheyWereCreatedWith) {
  RegistryKey created;
  ASSERT_EQ(base_.CreateSubKey("MixedCase", &created), err::kSuccess);
  ASSERT_EQ(created.SetValue("InstallDir", RegValue::String("C:\\A")), err::kSuccess);

  RegistryKey opened;
  ASSERT_EQ(
      opened.Open(RegRoot::kCurrentUser, "SOFTWARE\\tavrolin\\TESTS\\mixedcase", RegAccess::kAll),
      err::kSuccess);
  EXPECT_EQ(opened.Name(), "Software\\Tavrolin\\Tests\\MixedCase");
  // A write under another spelling replaces the value and keeps its name.
  ASSERT_EQ(opened.SetValue("INSTALLDIR", RegValue::String("C:\\B")), err::kSuccess);
  RegValue value;
  ASSERT_EQ(opened.QueryValue("installdir", &value), err::kSuccess);
  EXPECT_EQ(value.AsString(), "C:\\B");
  EXPECT_THAT(Values(opened), ElementsAre("InstallDir"));
  EXPECT_THAT(SubKeys(base_), ElementsAre("MixedCase"));
  // Creating it again under another spelling opens the same key.
  bool again_created = true;
  RegistryKey again;
  ASSERT_EQ(base_.CreateSubKey("MIXEDCASE", &again, &again_created), err::kSuccess);
  EXPECT_FALSE(again_created);
  EXPECT_THAT(SubKeys(base_), ElementsAre("MixedCase"));
}

TEST_F(RegistryTest, EnumerationKeepsCreationOrderAndAnUpdatedValueKeepsItsPlace) {
  for (const char* name : {"b", "A", "c"}) {
    RegistryKey sub;
    ASSERT_EQ(base_.CreateSubKey(name, &sub), err::kSuccess);
  }
  for (const char* name : {"z", "y", "x"}) {
    ASSERT_EQ(base_.SetValue(name, RegValue::Dword(1)), err::kSuccess);
  }
  ASSERT_EQ(base_.SetValue("z", RegValue::String("now a text")), err::kSuccess);
  ASSERT_EQ(base_.DeleteValue("y"), err::kSuccess);
  ASSERT_EQ(base_.SetValue("w", RegValue::Dword(2)), err::kSuccess);

  EXPECT_THAT(SubKeys(base_), ElementsAre("b", "A", "c"));
  EXPECT_THAT(Values(base_), ElementsAre("z", "x", "w"));
}

struct DataCase {
  const char* label;
  RegValue value;
};

TEST_F(RegistryTest, EveryTypeOfDataReadsBackAsWritten) {
  const DataCase cases[] = {
      {"text", RegValue::String("Grüße ✓ C:\\Tavrolin")},
      {"empty text", RegValue::String("")},
      {"expandable", RegValue::String("%SystemRoot%\\inf", RegType::kExpandSz)},
      {"strings", RegValue::MultiString({"first", "second one", "ü"})},
      {"no strings", RegValue::MultiString({})},
      {"dword", RegValue::Dword(0xDEADBEEF)},
      {"qword", RegValue::Qword(0x0123456789ABCDEFull)},
      {"binary", RegValue::Binary({0x00, 0x01, 0xFE, 0xFF})},
      {"empty binary", RegValue::Binary({})},
      {"none", RegValue{RegType::kNone, {1, 2, 3}}},
      {"text without its NUL", RegValue{RegType::kSz, {'a', 0}}},
      {"unknown type", RegValue{static_cast<RegType>(0x1234), {9}}},
  };
  for (const DataCase& c : cases) {
    SCOPED_TRACE(c.label);
    ASSERT_EQ(base_.SetValue(c.label, c.value), err::kSuccess);
    RegValue read;
    ASSERT_EQ(base_.QueryValue(c.label, &read), err::kSuccess);
    EXPECT_EQ(read.type, c.value.type);
    EXPECT_EQ(read.data, c.value.data);
  }
}

TEST_F(RegistryTest, TextIsStoredAsWindowsStoresIt) {
  ASSERT_EQ(base_.SetValue("", RegValue::String("Aé")), err::kSuccess);
  RegValue read;
  ASSERT_EQ(base_.QueryValue("", &read), err::kSuccess);
  // UTF-16LE with the terminating NUL, as a reader of raw bytes expects.
  EXPECT_EQ(read.data, (std::vector<uint8_t>{'A', 0, 0xE9, 0, 0, 0}));
  ASSERT_EQ(base_.SetValue("List", RegValue::MultiString({"a", "b"})), err::kSuccess);
  ASSERT_EQ(base_.QueryValue("list", &read), err::kSuccess);
  EXPECT_EQ(read.data, (std::vector<uint8_t>{'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0}));
}

TEST_F(RegistryTest, DeleteSubKeyRefusesAKeyWithSubKeysButDeleteTreeTakesAll) {
  RegistryKey deep;
  ASSERT_EQ(base_.CreateSubKey("Parent\\Child\\Grandchild", &deep), err::kSuccess);
  ASSERT_EQ(deep.SetValue("v", RegValue::Dword(1)), err::kSuccess);

  EXPECT_EQ(base_.DeleteSubKey("Parent"), err::kAccessDenied);
  EXPECT_THAT(SubKeys(base_), ElementsAre("Parent"));

  EXPECT_EQ(base_.DeleteTree("parent"), err::kSuccess);
  EXPECT_TRUE(SubKeys(base_).empty());
  RegistryKey gone;
  EXPECT_EQ(
      gone.Open(RegRoot::kCurrentUser, std::string(kBase) + "\\Parent\\Child", RegAccess::kRead),
      err::kFileNotFound);
  EXPECT_EQ(base_.DeleteSubKey("Parent"), err::kFileNotFound);
}

TEST_F(RegistryTest, DeleteSubKeyTakesALeafKey) {
  RegistryKey leaf;
  ASSERT_EQ(base_.CreateSubKey("Leaf", &leaf), err::kSuccess);
  ASSERT_EQ(leaf.SetValue("v", RegValue::Dword(1)), err::kSuccess);
  EXPECT_EQ(base_.DeleteSubKey("LEAF"), err::kSuccess);
  EXPECT_TRUE(SubKeys(base_).empty());
}

TEST_F(RegistryTest, DeleteTreeWithoutNameEmptiesTheKeyItself) {
  RegistryKey sub;
  ASSERT_EQ(base_.CreateSubKey("Sub\\Deeper", &sub), err::kSuccess);
  ASSERT_EQ(base_.SetValue("v", RegValue::Dword(1)), err::kSuccess);

  EXPECT_EQ(base_.DeleteTree(""), err::kSuccess);
  EXPECT_TRUE(SubKeys(base_).empty());
  EXPECT_TRUE(Values(base_).empty());
  EXPECT_EQ(base_.SetValue("still usable", RegValue::Dword(2)), err::kSuccess);
}

TEST_F(RegistryTest, AKeyDeletedWhileOpenAnswersKeyDeleted) {
  RegistryKey doomed;
  ASSERT_EQ(base_.CreateSubKey("Doomed", &doomed), err::kSuccess);
  ASSERT_EQ(doomed.SetValue("v", RegValue::Dword(1)), err::kSuccess);
  ASSERT_EQ(base_.DeleteTree("Doomed"), err::kSuccess);
  // New keys after the deletion must not take the deleted key's place.
  for (const char* name : {"Doomed", "Newcomer", "Another"}) {
    RegistryKey fresh;
    ASSERT_EQ(base_.CreateSubKey(name, &fresh), err::kSuccess);
  }

  RegValue value;
  std::vector<std::string> names;
  RegistryKey child;
  EXPECT_EQ(doomed.QueryValue("v", &value), err::kKeyDeleted);
  EXPECT_EQ(doomed.SetValue("v", RegValue::Dword(2)), err::kKeyDeleted);
  EXPECT_EQ(doomed.EnumValues(&names), err::kKeyDeleted);
  EXPECT_EQ(doomed.EnumSubKeys(&names), err::kKeyDeleted);
  EXPECT_EQ(doomed.CreateSubKey("Child", &child), err::kKeyDeleted);
  EXPECT_EQ(doomed.OpenSubKey("", RegAccess::kRead, &child), err::kKeyDeleted);
}

TEST_F(RegistryTest, AReadHandleRefusesEveryChange) {
  RegistryKey sub;
  ASSERT_EQ(base_.CreateSubKey("Sub", &sub), err::kSuccess);
  ASSERT_EQ(base_.SetValue("v", RegValue::Dword(1)), err::kSuccess);
  RegistryKey reader;
  ASSERT_EQ(reader.Open(RegRoot::kCurrentUser, kBase, RegAccess::kRead), err::kSuccess);

  EXPECT_EQ(reader.SetValue("v", RegValue::Dword(2)), err::kAccessDenied);
  EXPECT_EQ(reader.DeleteValue("v"), err::kAccessDenied);
  EXPECT_EQ(reader.DeleteSubKey("Sub"), err::kAccessDenied);
  EXPECT_EQ(reader.DeleteTree("Sub"), err::kAccessDenied);
  RegValue value;
  ASSERT_EQ(reader.QueryValue("v", &value), err::kSuccess);
  EXPECT_EQ(value.AsDword(), 1u);
  // Access belongs to a handle: a sub-key may still be opened for writing.
  RegistryKey writer;
  ASSERT_EQ(reader.OpenSubKey("Sub", RegAccess::kWrite, &writer), err::kSuccess);
  EXPECT_EQ(writer.SetValue("w", RegValue::Dword(3)), err::kSuccess);
}

TEST_F(RegistryTest, MissingKeysAndValuesAreFileNotFound) {
  RegistryKey key;
  EXPECT_EQ(key.Open(RegRoot::kCurrentUser, "Software\\No\\Such\\Key", RegAccess::kRead),
            err::kFileNotFound);
  EXPECT_FALSE(key.IsOpen());
  RegValue value;
  EXPECT_EQ(base_.QueryValue("missing", &value), err::kFileNotFound);
  EXPECT_EQ(base_.QueryValue("", &value), err::kFileNotFound);
  EXPECT_EQ(base_.DeleteValue("missing"), err::kFileNotFound);
  EXPECT_EQ(key.QueryValue("x", &value), err::kInvalidHandle);
}

TEST(RegistryRightsTest, AnOrdinaryUserMayReadButNotWriteTheMachineKeys) {
  testing::TempMachine pc({{"os", {{"admin", false}}}});
  RegistryKey key;
  EXPECT_EQ(key.Create(RegRoot::kLocalMachine, "SOFTWARE\\Tavrolin"), err::kAccessDenied);
  EXPECT_EQ(key.Open(RegRoot::kLocalMachine, "SOFTWARE", RegAccess::kWrite), err::kAccessDenied);
  EXPECT_EQ(key.Create(RegRoot::kClassesRoot, ".dul"), err::kAccessDenied);

  ASSERT_EQ(key.Open(RegRoot::kLocalMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
                     RegAccess::kRead),
            err::kSuccess);
  RegValue name;
  EXPECT_EQ(key.QueryValue("ProductName", &name), err::kSuccess);
  // The user's own hive stays writable.
  RegistryKey own;
  EXPECT_EQ(own.Create(RegRoot::kCurrentUser, "Software\\Tavrolin"), err::kSuccess);
}

TEST(RegistryRightsTest, AnAdministratorWritesTheMachineKeys) {
  testing::TempMachine pc;
  RegistryKey key;
  ASSERT_EQ(key.Create(RegRoot::kLocalMachine, "SOFTWARE\\Tavrolin"), err::kSuccess);
  EXPECT_EQ(key.SetValue("Path", RegValue::String("C:\\Program Files (x86)\\Tavrolin")),
            err::kSuccess);
}

}  // namespace
}  // namespace tav::platform
