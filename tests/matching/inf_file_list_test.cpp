// The file list of an installed driver's INF on virtual PCs: copy sections
// and their destinations, the text rules for copy-section lines, DIRIDs and
// shell folders, Include/Needs, and the INFs that cannot be found.
#include "matching/inf_file_list.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/folders.h"
#include "matching/inf_dirids.h"
#include "platform/registry.h"
#include "tests/support/temp_machine.h"

namespace tav {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kWin = "C:\\Windows\\";
constexpr const char* kDrivers = "C:\\Windows\\system32\\drivers\\";

class InfFileListTest : public ::testing::Test {
 protected:
  explicit InfFileListTest(nlohmann::json overrides = nlohmann::json::object()) : pc_(overrides) {
    GetFolders() = Folders();
  }
  std::string Inf(const std::string& name, const std::string& text) {
    return pc_.WriteFile(std::string(kWin) + "inf\\" + name, text);
  }
  testing::TempMachine pc_;
};

class InfFileList32Test : public InfFileListTest {
 protected:
  InfFileList32Test() : InfFileListTest({{"os", {{"64bit", false}}}}) {}
};

TEST_F(InfFileListTest, CopyFilesGoToTheDefaultDestination) {
  Inf("oem12.inf",
      "[Version]\r\nSignature=\"$Windows NT$\"\r\n[Install.NT]\r\nCopyFiles=Drv.Copy\r\n"
      "[DestinationDirs]\r\nDefaultDestDir=12\r\n[Drv.Copy]\r\ne1c62x64.sys\r\nNicCo62x64.dll\r\n"
      "[SourceDisksFiles]\r\ne1c62x64.sys=1\r\n");
  const InfFileList list = ListInfFiles("oem12.inf", "Install.NT");
  EXPECT_THAT(list.files, ElementsAre(std::string(kDrivers) + "e1c62x64.sys",
                                      std::string(kDrivers) + "NicCo62x64.dll"));
  EXPECT_EQ(list.first_inf_path, "C:\\Windows\\inf\\oem12.inf");
}

TEST_F(InfFileListTest, CopySectionLinesFollowTheTextRules) {
  struct Row {
    const char* line;
    const char* name;  // empty: the line gives none
  };
  const Row rows[] = {
      {"new.sys,old.sys,,0x4000", "new.sys"},
      {"drv.sys ; comment", "drv.sys"},
      {"  spaced.sys  ", "spaced.sys"},
      {"; only a comment", ""},
      {"a;b.sys", "a;b.sys"},
      {"ab;c.sys", "ab"},
      {"x.sys ; note, with comma", "x.sys ; note"},
      {"", ""},
      {" , old.sys", ""},
  };
  for (const Row& row : rows) {
    const std::vector<std::string> names =
        CopySectionFileNames({"[Drv.Copy]", row.line, "[Next]", "next.sys"}, "Drv.Copy");
    if (*row.name) {
      EXPECT_THAT(names, ElementsAre(row.name)) << "line: \"" << row.line << "\"";
    } else {
      EXPECT_THAT(names, IsEmpty()) << "line: \"" << row.line << "\"";
    }
  }
}

TEST_F(InfFileListTest, ACopySectionEndsAtAnyLineWithABracketOrTheEndOfTheFile) {
  const std::vector<std::string> text = {"[Drv.Copy] ", "[Drv.Copy]", "one.sys", "two[1].sys",
                                         "three.sys",   "[Last]",     "a.sys",   "b.sys"};
  EXPECT_THAT(CopySectionFileNames(text, "Drv.Copy"), ElementsAre("one.sys"));
  EXPECT_THAT(CopySectionFileNames(text, "Last"), ElementsAre("a.sys", "b.sys"));
  EXPECT_THAT(CopySectionFileNames(text, "drv.copy"), IsEmpty());
  EXPECT_THAT(CopySectionFileNames(text, "Missing"), IsEmpty());
}

TEST_F(InfFileListTest, ListsSplitAtCommasAndBlanksWithQuotesGrouping) {
  struct Row {
    const char* list;
    std::vector<std::string> entries;
  };
  const Row rows[] = {
      {"Drv.Copy", {"Drv.Copy"}},
      {"A, B,C", {"A", "B", "C"}},
      {"A B\tC", {"A", "B", "C"}},
      {"\"Tool Copy\", A", {"Tool Copy", "A"}},
      {"\"say \"\"x\"\"\"", {"say \"x\""}},
      {"A,,B,", {"A", "B"}},
      {"  ", {}},
      {"@e1c62x64.sys", {"@e1c62x64.sys"}},
  };
  for (const Row& row : rows)
    EXPECT_EQ(SplitInfList(row.list), row.entries) << "list: " << row.list;
}

TEST_F(InfFileListTest, DestinationsSplitIntoDirIdAndSubdirectory) {
  Inf("dest.inf",
      "[Install]\nCopyFiles = A.Copy, B.Copy C.Copy, D.Copy, E.Copy, F.Copy ; all of them\n"
      "[DestinationDirs]\nA.Copy = 11\nB.Copy = 10 , Vendor Tools \nC.Copy=13\nD.Copy = 50\n"
      "E.Copy = 30,Boot\nF.Copy = 12 ; the drivers folder\n"
      "[A.Copy]\na.dll\n[B.Copy]\nb.exe\n[C.Copy]\nc.sys\n[D.Copy]\nd.drv\n[E.Copy]\ne.ini\n"
      "[F.Copy]\nf.sys\n");
  EXPECT_THAT(
      ListInfFiles("dest.inf", "Install").files,
      ElementsAre("C:\\Windows\\system32\\a.dll", "C:\\Windows\\Vendor Tools\\b.exe",
                  "C:\\Windows\\system\\d.drv", "C:\\Boot\\e.ini", std::string(kDrivers) + "f.sys"));
}

TEST_F(InfFileListTest, EntriesWithoutADestinationOrDestinationDirsGiveNothing) {
  Inf("nodefault.inf",
      "[Install]\nCopyFiles=A.Copy,B.Copy\n[DestinationDirs]\nB.Copy=12\n[A.Copy]\na.sys\n"
      "[B.Copy]\nb.sys\n");
  Inf("nodirs.inf", "[Install]\nCopyFiles=A.Copy\n[A.Copy]\na.sys\n");
  EXPECT_THAT(ListInfFiles("nodefault.inf", "Install").files,
              ElementsAre(std::string(kDrivers) + "b.sys"));
  EXPECT_THAT(ListInfFiles("nodirs.inf", "Install").files, IsEmpty());
}

TEST_F(InfFileListTest, AFileCopiedTwiceIsListedOnceAndTheLastLineCounts) {
  Inf("twice.inf",
      "[Install]\nCopyFiles=A.Copy,B.Copy,@single.sys\n[DestinationDirs]\nDefaultDestDir=12\n"
      "[A.Copy]\nshared.sys\na.sys\n[B.Copy]\nb.sys\nshared.sys");
  EXPECT_THAT(ListInfFiles("twice.inf", "Install").files,
              ElementsAre(std::string(kDrivers) + "shared.sys", std::string(kDrivers) + "a.sys",
                          std::string(kDrivers) + "b.sys"));
}

TEST_F(InfFileListTest, IncludeAndNeedsFollowOtherInfsInEveryCombination) {
  Inf("vendor.inf",
      "[Install.NT]\nInclude = machine.inf, usb.inf\nNeeds = Base.Install, Extra.Install\n"
      "CopyFiles = Own.Copy\n[DestinationDirs]\nDefaultDestDir = 12\n[Own.Copy]\nown.sys\n");
  Inf("machine.inf",
      "[Base.Install]\nCopyFiles=Base.Copy\n[DestinationDirs]\nDefaultDestDir=11\n"
      "[Base.Copy]\nbase.dll\n");
  pc_.WriteFile("C:\\Windows\\system32\\usb.inf",
                "[Extra.Install]\nCopyFiles=Extra.Copy\n[DestinationDirs]\nDefaultDestDir=10\n"
                "[Extra.Copy]\nextra.exe\n");
  Inf("onlyinclude.inf",
      "[Install]\nInclude=machine.inf\nCopyFiles=X\n[DestinationDirs]\nX=12\n[X]\nx.sys\n");
  const InfFileList list = ListInfFiles("vendor.inf", "Install.NT");
  EXPECT_THAT(list.files, ElementsAre(std::string(kDrivers) + "own.sys",
                                      "C:\\Windows\\system32\\base.dll", "C:\\Windows\\extra.exe"));
  EXPECT_EQ(list.first_inf_path, "C:\\Windows\\inf\\vendor.inf");
  EXPECT_THAT(ListInfFiles("onlyinclude.inf", "Install").files,
              ElementsAre(std::string(kDrivers) + "x.sys"));
}

TEST_F(InfFileListTest, InfsAreLocatedInInfThenSystem32OrTakenAsPaths) {
  Inf("both.inf", "[S]\n");
  pc_.WriteFile("C:\\Windows\\system32\\both.inf", "[S]\n");
  pc_.WriteFile("C:\\Windows\\system32\\sys.inf", "[S]\n");
  pc_.WriteFile("C:\\Drivers\\own.inf",
                "[S]\nCopyFiles=C\n[DestinationDirs]\nDefaultDestDir=11\n[C]\nown.dll\n");
  EXPECT_EQ(LocateInf("both.inf"), "C:\\Windows\\inf\\both.inf");
  EXPECT_EQ(LocateInf("sys.inf"), "C:\\Windows\\system32\\sys.inf");
  EXPECT_EQ(LocateInf("missing.inf"), "");
  EXPECT_EQ(LocateInf("C:\\Drivers\\own.inf"), "C:\\Drivers\\own.inf");
  const InfFileList own = ListInfFiles("C:\\Drivers\\own.inf", "S");
  EXPECT_THAT(own.files, ElementsAre("C:\\Windows\\system32\\own.dll"));
  EXPECT_EQ(own.first_inf_path, "C:\\Drivers\\own.inf");
}

TEST_F(InfFileListTest, MissingInfsSectionsAndNamesGiveEmptyLists) {
  Inf("plain.inf", "[Install]\nCopyFiles=C\n[DestinationDirs]\nDefaultDestDir=12\n[C]\nc.sys\n");
  EXPECT_THAT(ListInfFiles("missing.inf", "Install").files, IsEmpty());
  EXPECT_EQ(ListInfFiles("missing.inf", "Install").first_inf_path, "");
  EXPECT_THAT(ListInfFiles("plain.inf", "Other").files, IsEmpty());
  EXPECT_EQ(ListInfFiles("plain.inf", "Other").first_inf_path, "C:\\Windows\\inf\\plain.inf");
  EXPECT_THAT(ListInfFiles("", "Install").files, IsEmpty());
  EXPECT_THAT(ListInfFiles("plain.inf", "").files, IsEmpty());
  EXPECT_THAT(ListInfFiles("plain.inf", "install").files,
              ElementsAre(std::string(kDrivers) + "c.sys"));
}

TEST_F(InfFileListTest, EnvironmentVariablesInAPathAreExpandedWhenTheyFit) {
  Inf("env.inf",
      "[Install]\nCopyFiles=C\n[DestinationDirs]\nC=10,%USERNAME%\n[C]\n%COMPUTERNAME%.dat\n" +
          std::string("very") + std::string(240, 'x') + "%USERNAME%.log\n");
  EXPECT_THAT(
      ListInfFiles("env.inf", "Install").files,
      ElementsAre("C:\\Windows\\Alex\\OFFICE-PC7.dat",
                  "C:\\Windows\\%USERNAME%\\very" + std::string(240, 'x') + "%USERNAME%.log"));
}

TEST_F(InfFileListTest, DirIdsOnA64BitWindows) {
  struct Row {
    const char* dirid;
    const char* folder;
  };
  const Row rows[] = {
      {"10", "C:\\Windows\\"},
      {"11", "C:\\Windows\\system32\\"},
      {"12", "C:\\Windows\\system32\\drivers\\"},
      {"50", "C:\\Windows\\system\\"},
      {"30", "C:\\"},
      {" 12 ", "C:\\Windows\\system32\\drivers\\"},
      {"16422", "C:\\Program Files\\"},
      {"16427", "C:\\Program Files\\Common Files\\"},
      {"16426", "C:\\Program Files (x86)\\"},
      {"16410", "C:\\Users\\Alex\\AppData\\Roaming\\"},
      {"16421", "C:\\Windows\\system32\\"},
      {"16404", ""},
      {"13", ""},
      {"-1", ""},
      {"abc", ""},
      {"", ""},
  };
  for (const Row& row : rows)
    EXPECT_EQ(ResolveDirId(row.dirid), row.folder) << "DIRID " << row.dirid;
}

TEST_F(InfFileListTest, ProgramFilesFolderOfA64BitWindowsComesFromTheRegistry) {
  Inf("tool.inf",
      "[Install]\nCopyFiles=Tool.Copy,Common.Copy\n[DestinationDirs]\nTool.Copy=16422,"
      "Vendor\\Tool\n"
      "Common.Copy = 16427, Vendor\n[Tool.Copy]\ntool.exe\n[Common.Copy]\ncommon.dll\n");
  EXPECT_THAT(ListInfFiles("tool.inf", "Install").files,
              ElementsAre("C:\\Program Files\\Vendor\\Tool\\tool.exe",
                          "C:\\Program Files\\Common Files\\Vendor\\common.dll"));
  platform::RegistryKey key;
  ASSERT_EQ(key.Open(platform::RegRoot::kLocalMachine,
                     "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", platform::RegAccess::kAll),
            0);
  ASSERT_EQ(key.DeleteValue("ProgramW6432Dir"), 0);
  EXPECT_EQ(ResolveDirId("16422"), "C:\\Program Files (x86)\\");
  EXPECT_EQ(ResolveDirId("16427"), "C:\\Program Files\\Common Files\\");
}

TEST_F(InfFileList32Test, DirIdsOnA32BitWindows) {
  EXPECT_EQ(ResolveDirId("16422"), "C:\\Program Files\\");
  EXPECT_EQ(ResolveDirId("16427"), "C:\\Program Files\\Common Files\\");
  EXPECT_EQ(ResolveDirId("16426"), "C:\\Program Files\\");
  EXPECT_EQ(ResolveDirId("11"), "C:\\Windows\\system32\\");
}

}  // namespace
}  // namespace tav
