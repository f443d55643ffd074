// Windows file semantics kept on the virtual PC: delete and rename of files
// held open, read-only files, share modes (also between processes) and the
// rules for folders.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/win_errors.h"
#include "tests/platform/child_process.h"
#include "tests/support/temp_machine.h"

namespace tav::platform {
namespace {

namespace err = win_error;

constexpr uint32_t kShareAll = File::kShareRead | File::kShareWrite | File::kShareDelete;

class FileSemanticsTest : public ::testing::Test {
 protected:
  testing::TempMachine pc_;
  const std::string path_ = "C:\\Tavrolin\\driver.dul";
  void SetUp() override { pc_.WriteFile(path_, "contents"); }
};

TEST_F(FileSemanticsTest, AFileHeldOpenWithoutDeleteSharingIsNotDeletedButCanBeRenamed) {
  File held;
  ASSERT_TRUE(
      held.Open(path_, File::kRead, File::kShareRead | File::kShareWrite, File::kOpenExisting));
  int32_t error = 0;
  EXPECT_FALSE(DeleteFile(path_, &error));
  EXPECT_EQ(error, err::kSharingViolation);
  EXPECT_TRUE(FileExists(path_));

  // The usual way to replace a file in use: move it aside.
  ASSERT_TRUE(MoveFile(path_, "C:\\Tavrolin\\driver.old", false, &error)) << error;
  EXPECT_FALSE(DeleteFile("C:\\Tavrolin\\driver.old", &error));
  EXPECT_EQ(error, err::kSharingViolation);
  char buffer[16] = {};
  size_t read = 0;
  ASSERT_TRUE(held.Read(buffer, sizeof buffer, &read));
  EXPECT_EQ(std::string(buffer, read), "contents");

  held.Close();
  EXPECT_TRUE(DeleteFile("C:\\Tavrolin\\driver.old", &error)) << error;
}

TEST_F(FileSemanticsTest, AFileHeldOpenWithDeleteSharingCanBeDeleted) {
  File held;
  ASSERT_TRUE(held.Open(path_, File::kRead, kShareAll, File::kOpenExisting));
  int32_t error = 0;
  EXPECT_TRUE(DeleteFile(path_, &error)) << error;
  EXPECT_FALSE(FileExists(path_));
}

TEST_F(FileSemanticsTest, AReadOnlyFileIsNeitherDeletedNorWrittenNorReplaced) {
  ASSERT_TRUE(SetFileAttributes(path_, file_attr::kReadOnly));
  EXPECT_NE(GetFileAttributes(path_) & file_attr::kReadOnly, 0u);
  int32_t error = 0;
  EXPECT_FALSE(DeleteFile(path_, &error));
  EXPECT_EQ(error, err::kAccessDenied);
  File file;
  EXPECT_FALSE(file.Open(path_, File::kWrite, kShareAll, File::kOpenExisting, &error));
  EXPECT_EQ(error, err::kAccessDenied);
  pc_.WriteFile("C:\\Tavrolin\\new.dul", "new");
  EXPECT_FALSE(MoveFile("C:\\Tavrolin\\new.dul", path_, true, &error));
  EXPECT_EQ(error, err::kAccessDenied);
  EXPECT_EQ(pc_.ReadFile(path_), "contents");
  // Readable it stays.
  EXPECT_TRUE(file.Open(path_, File::kRead, kShareAll, File::kOpenExisting, &error));
  file.Close();

  ASSERT_TRUE(SetFileAttributes(path_, file_attr::kNormal));
  EXPECT_TRUE(DeleteFile(path_, &error)) << error;
}

struct ShareCase {
  uint32_t first_access, first_share;
  uint32_t second_access, second_share;
  bool second_opens;
};

TEST_F(FileSemanticsTest, ASecondOpenMustFitTheShareModesOfTheFirst) {
  constexpr uint32_t R = File::kRead, W = File::kWrite, RW = R | W;
  constexpr uint32_t SR = File::kShareRead, SW = File::kShareWrite, SRW = SR | SW;
  const ShareCase cases[] = {
      {R, SR, R, SR, true},     {R, SR, W, SRW, false}, {R, SRW, W, SRW, true},
      {W, SR, R, SR, false},    {W, SRW, R, SR, false}, {W, SRW, R, SRW, true},
      {R, 0, R, SRW, false},    {R, SRW, R, 0, false},  {R, SRW, R, SW, false},
      {RW, SRW, RW, SRW, true}, {W, SW, W, SW, true},   {W, SW, R, SRW, false},
  };
  for (const ShareCase& c : cases) {
    SCOPED_TRACE("first " + std::to_string(c.first_access) + "/" + std::to_string(c.first_share) +
                 ", second " + std::to_string(c.second_access) + "/" +
                 std::to_string(c.second_share));
    File first, second;
    ASSERT_TRUE(first.Open(path_, c.first_access, c.first_share, File::kOpenExisting));
    int32_t error = 0;
    EXPECT_EQ(second.Open(path_, c.second_access, c.second_share, File::kOpenExisting, &error),
              c.second_opens);
    if (!c.second_opens) {
      EXPECT_EQ(error, err::kSharingViolation);
    }
  }
}

// Another program holds the file for reading and lets others only read.
int FileHolder(const std::vector<std::string>& args) {
  File file;
  if (!file.Open(args.at(0), File::kRead, File::kShareRead, File::kOpenExisting))
    return 1;
  testing::TellParent("holding");
  std::string line;
  while (testing::ReadFromParent(&line)) {
  }
  return 0;
}

const bool kRegistered = testing::RegisterChildRoutine("file-holder", &FileHolder);

TEST_F(FileSemanticsTest, ShareModesHoldBetweenProcesses) {
  testing::ChildProcess holder;
  ASSERT_TRUE(holder.Start("file-holder", {path_}));
  std::string line;
  ASSERT_TRUE(holder.ReadLine(&line));
  ASSERT_EQ(line, "holding");

  File file;
  int32_t error = 0;
  EXPECT_FALSE(file.Open(path_, File::kWrite, kShareAll, File::kOpenExisting, &error));
  EXPECT_EQ(error, err::kSharingViolation);
  EXPECT_FALSE(DeleteFile(path_, &error));
  EXPECT_EQ(error, err::kSharingViolation);
  EXPECT_TRUE(file.Open(path_, File::kRead, kShareAll, File::kOpenExisting, &error));
  file.Close();

  holder.CloseInput();
  EXPECT_EQ(holder.Wait(), 0);
  EXPECT_TRUE(file.Open(path_, File::kWrite, kShareAll, File::kOpenExisting, &error)) << error;
  file.Close();
  EXPECT_TRUE(DeleteFile(path_, &error)) << error;
}

TEST_F(FileSemanticsTest, OpenAndMoveAnswerWithTheWindowsErrors) {
  File file;
  int32_t error = 0;
  EXPECT_FALSE(
      file.Open("C:\\Tavrolin\\missing.dul", File::kRead, kShareAll, File::kOpenExisting, &error));
  EXPECT_EQ(error, err::kFileNotFound);
  EXPECT_FALSE(
      file.Open("C:\\NoFolder\\x.dul", File::kWrite, kShareAll, File::kCreateAlways, &error));
  EXPECT_EQ(error, err::kPathNotFound);
  EXPECT_FALSE(file.Open(path_, File::kWrite, kShareAll, File::kCreateNew, &error));
  EXPECT_EQ(error, err::kFileExists);
  ASSERT_TRUE(file.Open(path_, File::kWrite, kShareAll, File::kOpenAlways, &error));
  EXPECT_EQ(error, err::kAlreadyExists);
  file.Close();

  pc_.WriteFile("C:\\Tavrolin\\other.dul", "other");
  EXPECT_FALSE(MoveFile("C:\\Tavrolin\\other.dul", path_, false, &error));
  EXPECT_EQ(error, err::kAlreadyExists);
  EXPECT_TRUE(MoveFile("C:\\Tavrolin\\other.dul", path_, true, &error)) << error;
  EXPECT_EQ(pc_.ReadFile(path_), "other");
  EXPECT_FALSE(MoveFile("C:\\Tavrolin\\gone.dul", "C:\\Tavrolin\\x.dul", false, &error));
  EXPECT_EQ(error, err::kFileNotFound);
}

TEST_F(FileSemanticsTest, FoldersFollowTheWindowsRules) {
  int32_t error = 0;
  EXPECT_FALSE(RemoveDirectory("C:\\Tavrolin", &error));
  EXPECT_EQ(error, err::kDirNotEmpty);
  EXPECT_FALSE(CreateDirectory("C:\\Tavrolin", &error));
  EXPECT_EQ(error, err::kAlreadyExists);
  EXPECT_FALSE(CreateDirectory("C:\\Missing\\Sub", &error));
  EXPECT_EQ(error, err::kPathNotFound);
  EXPECT_FALSE(DeleteFile("C:\\Tavrolin", &error));
  EXPECT_EQ(error, err::kAccessDenied);
  EXPECT_EQ(GetFileAttributes("C:\\Missing\\x", &error), file_attr::kInvalid);
  EXPECT_EQ(error, err::kPathNotFound);
  EXPECT_EQ(GetFileAttributes("C:\\Tavrolin\\missing.dul", &error), file_attr::kInvalid);
  EXPECT_EQ(error, err::kFileNotFound);
  ASSERT_TRUE(DeleteFile(path_, &error));
  EXPECT_TRUE(RemoveDirectory("C:\\TAVROLIN", &error)) << error;
}

}  // namespace
}  // namespace tav::platform
