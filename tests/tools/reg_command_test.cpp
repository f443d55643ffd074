// tavrolin-vpc reg: the registry of a PC as reg.exe shows and changes it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/linux/reg_file.h"
#include "platform/registry.h"
#include "platform/win_errors.h"
#include "tests/support/temp_machine.h"
#include "tests/tools/tool_run.h"

namespace tav::testing {
namespace {

using platform::RegAccess;
using platform::RegistryKey;
using platform::RegRoot;
using platform::RegType;
using platform::RegValue;
using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr const char* kKey = "HKCU\\Software\\Tavrolin";
constexpr const char* kNotFound =
    "ERROR: The system was unable to find the specified registry key or value.\n";
constexpr const char* kDone = "The operation completed successfully.\n";

class RegCommandTest : public ::testing::Test {
 protected:
  TempMachine pc_;

  ToolResult Reg(std::vector<std::string> args, const std::string& input = "") {
    args.insert(args.begin(), {"--machine", pc_.root(), "reg"});
    return RunTool(args, WithInput(input));
  }
  void Set(const std::string& path, const std::string& name, const RegValue& value) {
    RegistryKey key;
    ASSERT_EQ(key.Create(RegRoot::kCurrentUser, path), 0);
    ASSERT_EQ(key.SetValue(name, value), 0);
  }
  bool Get(const std::string& path, const std::string& name, RegValue* value) {
    RegistryKey key;
    return key.Open(RegRoot::kCurrentUser, path, RegAccess::kRead) == 0 &&
           key.QueryValue(name, value) == 0;
  }
  bool KeyExists(const std::string& path) {
    RegistryKey key;
    return key.Open(RegRoot::kCurrentUser, path, RegAccess::kRead) == 0;
  }
};

TEST_F(RegCommandTest, QueryPrintsKeysAndValuesAsRegExe) {
  Set("Software\\Tavrolin", "Text", RegValue::String("Hello, World"));
  Set("Software\\Tavrolin", "Count", RegValue::Dword(0x123));
  Set("Software\\Tavrolin", "Big", RegValue::Qword(0x1122334455ull));
  Set("Software\\Tavrolin", "Bytes", RegValue::Binary({0x0A, 0xFF}));
  Set("Software\\Tavrolin", "List", RegValue::MultiString({"a", "b c"}));
  Set("Software\\Tavrolin", "", RegValue::String("default"));
  Set("Software\\Tavrolin\\Sub", "Inner", RegValue::Dword(1));
  Set("Software\\Tavrolin\\Empty", "x", RegValue::Dword(0));
  RegistryKey empty;
  ASSERT_EQ(empty.Open(RegRoot::kCurrentUser, "Software\\Tavrolin\\Empty", RegAccess::kAll), 0);
  ASSERT_EQ(empty.DeleteValue("x"), 0);

  const ToolResult plain = Reg({"query", "hkcu\\software\\tavrolin"});
  EXPECT_EQ(plain.exit_code, 0) << plain.err;
  // The key is named as the user wrote it; its sub-keys as they are stored.
  EXPECT_EQ(plain.out,
            "\n"
            "HKEY_CURRENT_USER\\software\\tavrolin\n"
            "    Text    REG_SZ    Hello, World\n"
            "    Count    REG_DWORD    0x123\n"
            "    Big    REG_QWORD    0x1122334455\n"
            "    Bytes    REG_BINARY    0AFF\n"
            "    List    REG_MULTI_SZ    a\\0b c\n"
            "    (Default)    REG_SZ    default\n"
            "\n"
            "HKEY_CURRENT_USER\\software\\tavrolin\\Sub\n"
            "HKEY_CURRENT_USER\\software\\tavrolin\\Empty\n");

  const ToolResult recursive = Reg({"query", "HKEY_CURRENT_USER\\Software\\Tavrolin\\", "/s"});
  EXPECT_EQ(recursive.exit_code, 0) << recursive.err;
  EXPECT_THAT(recursive.out, HasSubstr("    (Default)    REG_SZ    default\n"
                                       "\n"
                                       "HKEY_CURRENT_USER\\Software\\Tavrolin\\Sub\n"
                                       "    Inner    REG_DWORD    0x1\n"
                                       "\n"
                                       "HKEY_CURRENT_USER\\Software\\Tavrolin\\Empty\n"
                                       "\n"));
}

TEST_F(RegCommandTest, QueryOfOneValue) {
  Set("Software\\Tavrolin", "Version", RegValue::String("4.0"));
  Set("Software\\Tavrolin\\Sub", "version", RegValue::String("inner"));

  const ToolResult one = Reg({"query", kKey, "/v", "VERSION"});
  EXPECT_EQ(one.exit_code, 0);
  EXPECT_EQ(one.out, "\nHKEY_CURRENT_USER\\Software\\Tavrolin\n    Version    REG_SZ    4.0\n\n");

  const ToolResult everywhere = Reg({"query", kKey, "/v", "Version", "/s"});
  EXPECT_EQ(everywhere.exit_code, 0);
  EXPECT_THAT(everywhere.out, HasSubstr("Tavrolin\\Sub\n    version    REG_SZ    inner\n"));
  EXPECT_THAT(everywhere.out, HasSubstr("End of search: 2 match(es) found.\n"));

  const ToolResult unset_default = Reg({"query", kKey, "/ve"});
  EXPECT_EQ(unset_default.exit_code, 0);
  EXPECT_THAT(unset_default.out, HasSubstr("    (Default)    REG_SZ    (value not set)\n"));

  const ToolResult missing = Reg({"query", kKey, "/v", "Missing"});
  EXPECT_EQ(missing.exit_code, 1);
  EXPECT_EQ(missing.err, kNotFound);
}

TEST_F(RegCommandTest, AMissingKeyIsAnErrorOnStderr) {
  const ToolResult r = Reg({"query", "HKCU\\Software\\Nothing\\Here"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, kNotFound);
}

struct AddCase {
  std::vector<std::string> options;
  std::string line;  // what a query then shows
};

TEST_F(RegCommandTest, AddWritesEveryType) {
  const AddCase cases[] = {
      {{"/v", "S", "/d", "two words"}, "    S    REG_SZ    two words"},
      {{"/v", "E", "/t", "REG_EXPAND_SZ", "/d", "%SystemRoot%\\inf"},
       "    E    REG_EXPAND_SZ    %SystemRoot%\\inf"},
      {{"/v", "D", "/t", "REG_DWORD", "/d", "0x1F"}, "    D    REG_DWORD    0x1f"},
      {{"/v", "D2", "/t", "reg_dword", "/d", "4294967295"}, "    D2    REG_DWORD    0xffffffff"},
      {{"/v", "Q", "/t", "REG_QWORD", "/d", "0x1122334455667788"},
       "    Q    REG_QWORD    0x1122334455667788"},
      {{"/v", "B", "/t", "REG_BINARY", "/d", "abc"}, "    B    REG_BINARY    0ABC"},
      {{"/v", "M", "/t", "REG_MULTI_SZ", "/d", "a\\0b\\0c"}, "    M    REG_MULTI_SZ    a\\0b\\0c"},
      {{"/v", "M2", "/t", "REG_MULTI_SZ", "/s", "#", "/d", "x#y"},
       "    M2    REG_MULTI_SZ    x\\0y"},
      {{"/v", "N", "/t", "REG_NONE", "/d", "zz"}, "    N    REG_NONE    7A007A000000"},
      {{"/ve", "/d", "default"}, "    (Default)    REG_SZ    default"},
  };
  for (const AddCase& c : cases) {
    SCOPED_TRACE(c.line);
    std::vector<std::string> args = {"add", kKey};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.push_back("/f");
    const ToolResult added = Reg(args);
    EXPECT_EQ(added.exit_code, 0) << added.err;
    EXPECT_EQ(added.out, kDone);
    const std::string name = c.options[0] == "/ve" ? "" : c.options[1];
    const ToolResult shown =
        name.empty() ? Reg({"query", kKey, "/ve"}) : Reg({"query", kKey, "/v", name});
    EXPECT_EQ(shown.out, "\nHKEY_CURRENT_USER\\Software\\Tavrolin\n" + c.line + "\n\n");
  }
  RegValue multi;
  ASSERT_TRUE(Get("Software\\Tavrolin", "M2", &multi));
  EXPECT_EQ(multi.type, RegType::kMultiSz);
  EXPECT_EQ(multi.data, RegValue::MultiString({"x", "y"}).data);
}

TEST_F(RegCommandTest, AddWithoutAValueNameSetsAnEmptyDefault) {
  ASSERT_EQ(Reg({"add", "HKCU\\Software\\Tavrolin\\New"}).exit_code, 0);
  RegValue value;
  ASSERT_TRUE(Get("Software\\Tavrolin\\New", "", &value));
  EXPECT_EQ(value.type, RegType::kSz);
  EXPECT_EQ(value.data, (std::vector<uint8_t>{0, 0}));
}

struct RefusedCase {
  std::vector<std::string> args;
  std::string error;
};

TEST_F(RegCommandTest, AddRefusesBadArgumentsAndChangesNothing) {
  const std::string key = "HKCU\\Software\\Refused";
  const RefusedCase cases[] = {
      {{key, "/v", "D", "/t", "REG_DWORD", "/d", "-1"}, "valid numeric value"},
      {{key, "/v", "D", "/t", "REG_DWORD", "/d", "4294967296"}, "valid numeric value"},
      {{key, "/v", "D", "/t", "REG_DWORD", "/d", "12ab"}, "valid numeric value"},
      {{key, "/v", "B", "/t", "REG_BINARY", "/d", "xyz"}, "valid hexadecimal value"},
      {{key, "/v", "M", "/t", "REG_MULTI_SZ", "/d", "a\\0\\0b"}, "empty string"},
      {{key, "/v", "T", "/t", "REG_FOO", "/d", "1"}, "Unsupported registry data type [REG_FOO]"},
      {{key, "/v", "D", "/t", "REG_DWORD"}, "Invalid syntax"},
      {{key, "/v"}, "Invalid syntax"},
      {{key, "/v", "a", "/v", "b"}, "Invalid syntax"},
      {{key, "/v", "a", "/ve"}, "Invalid syntax"},
      {{key, "/v", "a", "/s", "ab", "/d", "x"}, "Invalid syntax"},
      {{key, "/q"}, "Invalid syntax"},
      {{"HKCU"}, "Invalid key name"},
      {{"HKCU\\"}, "Invalid key name"},
      {{"HKXX\\Software\\Refused"}, "Invalid key name"},
      {{"\\\\OTHER-PC\\HKCU\\Software\\Refused"}, "Invalid key name"},
      {{"HKCU\\Software\\\\Refused"}, "Invalid key name"},
  };
  for (const RefusedCase& c : cases) {
    std::string line;
    for (const std::string& a : c.args)
      line += a + " ";
    SCOPED_TRACE("reg add " + line);
    std::vector<std::string> args = {"add"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const ToolResult r = Reg(args);
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_THAT(r.err, StartsWith("ERROR: "));
    EXPECT_THAT(r.err, HasSubstr(c.error));
    EXPECT_FALSE(KeyExists("Software\\Refused"));
  }
}

TEST_F(RegCommandTest, AddAsksBeforeReplacingAValueUnlessForced) {
  Set("Software\\Tavrolin", "Mode", RegValue::String("old"));
  const ToolResult unanswered = Reg({"add", kKey, "/v", "Mode", "/d", "new"});
  EXPECT_EQ(unanswered.exit_code, 0);
  EXPECT_THAT(unanswered.out, HasSubstr("Value Mode exists, overwrite"));
  EXPECT_THAT(unanswered.out, HasSubstr("The operation was cancelled by the user."));
  RegValue value;
  ASSERT_TRUE(Get("Software\\Tavrolin", "Mode", &value));
  EXPECT_EQ(value.AsString(), "old");

  const ToolResult yes = Reg({"add", kKey, "/v", "Mode", "/d", "new"}, "yes\n");
  EXPECT_EQ(yes.exit_code, 0);
  ASSERT_TRUE(Get("Software\\Tavrolin", "Mode", &value));
  EXPECT_EQ(value.AsString(), "new");
}

TEST(RegRightsTest, AnOrdinaryUserCannotWriteTheMachineKeys) {
  TempMachine pc({{"os", {{"admin", false}}}});
  const ToolResult r = RunTool({"--machine", pc.root(), "reg", "add", "HKLM\\SOFTWARE\\Tavrolin",
                                "/v", "x", "/d", "y", "/f"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.err, "ERROR: Access is denied.\n");
}

TEST_F(RegCommandTest, DeleteTakesAValueAllValuesOrTheWholeKey) {
  Set("Software\\Tavrolin", "A", RegValue::Dword(1));
  Set("Software\\Tavrolin", "B", RegValue::Dword(2));
  Set("Software\\Tavrolin\\Sub\\Deeper", "C", RegValue::Dword(3));
  RegValue value;

  ASSERT_EQ(Reg({"delete", kKey, "/v", "a", "/f"}).out, kDone);
  EXPECT_FALSE(Get("Software\\Tavrolin", "A", &value));
  EXPECT_TRUE(Get("Software\\Tavrolin", "B", &value));

  ASSERT_EQ(Reg({"delete", kKey, "/va", "/f"}).out, kDone);
  EXPECT_FALSE(Get("Software\\Tavrolin", "B", &value));
  EXPECT_TRUE(Get("Software\\Tavrolin\\Sub\\Deeper", "C", &value));

  const ToolResult unanswered = Reg({"delete", kKey});
  EXPECT_EQ(unanswered.exit_code, 0);
  EXPECT_THAT(unanswered.out, HasSubstr("Permanently delete the registry key"));
  EXPECT_TRUE(KeyExists("Software\\Tavrolin\\Sub"));
  const ToolResult answered = Reg({"delete", kKey}, "y\n");
  EXPECT_EQ(answered.exit_code, 0);
  EXPECT_FALSE(KeyExists("Software\\Tavrolin"));
  EXPECT_TRUE(KeyExists("Software"));
}

TEST_F(RegCommandTest, DeleteOfWhatIsNotThereFails) {
  Set("Software\\Tavrolin", "A", RegValue::Dword(1));
  const ToolResult no_key = Reg({"delete", "HKCU\\Software\\Nothing", "/f"});
  EXPECT_EQ(no_key.exit_code, 1);
  EXPECT_EQ(no_key.err, kNotFound);
  const ToolResult no_value = Reg({"delete", kKey, "/v", "Missing", "/f"});
  EXPECT_EQ(no_value.exit_code, 1);
  EXPECT_EQ(no_value.err, kNotFound);
  const ToolResult root = Reg({"delete", "HKCU", "/f"});
  EXPECT_EQ(root.exit_code, 1);
  EXPECT_THAT(root.err, HasSubstr("Invalid key name"));
  EXPECT_TRUE(KeyExists("Software\\Tavrolin"));
}

TEST_F(RegCommandTest, ExportAndImportCarryEveryValueThroughAHostFile) {
  Set("Software\\Tavrolin", "Path", RegValue::String("C:\\Program Files (x86)\\Tavrolin"));
  Set("Software\\Tavrolin", "Count", RegValue::Dword(42));
  Set("Software\\Tavrolin", "List", RegValue::MultiString({"a", "b"}));
  Set("Software\\Tavrolin", "Bytes", RegValue::Binary(std::vector<uint8_t>(64, 0x5A)));
  Set("Software\\Tavrolin\\Sub", "Q", RegValue::Qword(5));
  TempFolder folder;
  const std::string file = folder.path() + "/tavrolin.reg";

  const ToolResult exported = Reg({"export", kKey, file});
  ASSERT_EQ(exported.exit_code, 0) << exported.err;
  std::ifstream in(file, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  const std::string text = platform::vpc::DecodeRegFile(bytes.str());
  EXPECT_EQ(bytes.str().substr(0, 2), "\xFF\xFE");
  EXPECT_THAT(text, HasSubstr("[HKEY_CURRENT_USER\\Software\\Tavrolin\\Sub]\r\n\"Q\"=hex(b):05,"));

  RegistryKey software;
  ASSERT_EQ(software.Open(RegRoot::kCurrentUser, "Software", RegAccess::kAll), 0);
  ASSERT_EQ(software.DeleteTree("Tavrolin"), 0);
  const ToolResult imported = Reg({"import", file});
  EXPECT_EQ(imported.exit_code, 0);
  EXPECT_EQ(imported.err, kDone);  // reg.exe reports an import on stderr
  RegValue value;
  ASSERT_TRUE(Get("Software\\Tavrolin", "Bytes", &value));
  EXPECT_EQ(value.data, std::vector<uint8_t>(64, 0x5A));
  ASSERT_TRUE(Get("Software\\Tavrolin\\Sub", "Q", &value));
  EXPECT_EQ(value.AsQword(), 5u);
}

TEST_F(RegCommandTest, ExportAsksBeforeReplacingAFileUnlessToldYes) {
  Set("Software\\Tavrolin", "A", RegValue::Dword(1));
  TempFolder folder;
  const std::string file = folder.path() + "/out.reg";
  std::ofstream(file) << "keep";
  const ToolResult unanswered = Reg({"export", kKey, file});
  EXPECT_EQ(unanswered.exit_code, 0);
  EXPECT_THAT(unanswered.out, HasSubstr("already exists. Overwrite"));
  std::ifstream kept(file);
  std::string content;
  std::getline(kept, content);
  EXPECT_EQ(content, "keep");
  EXPECT_EQ(Reg({"export", kKey, file, "/y"}).exit_code, 0);

  const ToolResult no_key = Reg({"export", "HKCU\\Software\\Nothing", file, "/y"});
  EXPECT_EQ(no_key.exit_code, 1);
  EXPECT_EQ(no_key.err, kNotFound);
}

TEST_F(RegCommandTest, ImportOfAMissingOrForeignFileFails) {
  TempFolder folder;
  const ToolResult missing = Reg({"import", folder.path() + "/none.reg"});
  EXPECT_EQ(missing.exit_code, 1);
  EXPECT_THAT(missing.err, HasSubstr("Error opening the file"));
  std::ofstream(folder.path() + "/notes.reg") << "just notes\n";
  const ToolResult foreign = Reg({"import", folder.path() + "/notes.reg"});
  EXPECT_EQ(foreign.exit_code, 1);
  EXPECT_THAT(foreign.err, HasSubstr("not a registry script"));
}

TEST_F(RegCommandTest, SyntaxAndHelp) {
  EXPECT_EQ(Reg({}).exit_code, 1);
  EXPECT_EQ(Reg({"frob"}).exit_code, 1);
  const ToolResult help = Reg({"/?"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_THAT(help.out, HasSubstr("REG QUERY KeyName"));
  const ToolResult add_help = Reg({"ADD", "/?"});
  EXPECT_EQ(add_help.exit_code, 0);
  EXPECT_THAT(add_help.out, HasSubstr("REG ADD KeyName"));
  EXPECT_THAT(add_help.out, ::testing::Not(HasSubstr("REG QUERY")));
  const ToolResult query = Reg({"query"});
  EXPECT_EQ(query.exit_code, 1);
  EXPECT_EQ(query.err, "ERROR: Invalid syntax.\nType \"REG QUERY /?\" for usage.\n");
}

TEST_F(RegCommandTest, TheMachineMayBeNamedByTheEnvironment) {
  Set("Software\\Tavrolin", "A", RegValue::Dword(9));
  const ToolResult r = RunTool({"reg", "query", kKey, "/v", "A"}, OnMachine(pc_.root()));
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr("A    REG_DWORD    0x9"));
}

}  // namespace
}  // namespace tav::testing
