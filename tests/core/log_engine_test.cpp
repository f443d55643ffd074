#include "core/log_engine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>
#include <thread>

#include "core/main_thread.h"
#include "core/text_utils.h"
#include "platform/file_system.h"
#include "tests/support/temp_machine.h"

namespace tav {
namespace {

using ::testing::ElementsAre;

constexpr const char* kFolder = "C:\\Users\\Alex\\AppData\\Roaming\\Tavrolin\\";

class LogEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MainThread::Init();
    XLog::Init(kFolder);
  }
  void TearDown() override { XLog::Stop(); }

  std::vector<std::string> LogLines() {
    XLog::Flush();
    return ReadLogFileLines(std::string(kFolder) + "program.log");
  }
  std::vector<std::string> ErrorLogLines() {
    return ReadLogFileLines(std::string(kFolder) + "program_error.log");
  }
  // A stored line without its time: "4:59:03 PM : x" gives ": x".
  static std::string Body(const std::string& line) {
    static const std::regex time(R"(^\d{1,2}:\d{2}:\d{2} (AM|PM) )");
    return std::regex_replace(line, time, "");
  }
  std::vector<std::string> Bodies() {
    std::vector<std::string> out;
    for (const std::string& line : LogLines()) {
      if (!line.empty()) out.push_back(Body(line));
    }
    return out;
  }

  testing::TempMachine pc_;
};

TEST_F(LogEngineTest, LineFormats) {
  XLog::Log("XFile.AssignFileW", "");
  XLog::Log("GenerateDevicesList", "begin");
  XLog::Error("ZipFile", "Cannot delete", 0, "");
  XLog::Error("InitParams", "QueryDosDevice fail", 5, "C:\\Windows\\");
  XLog::Error("X", "", -2147467259, "p");
  EXPECT_THAT(Bodies(),
              ElementsAre(": XFile.AssignFileW", ": GenerateDevicesList PARAMS: begin",
                          "ERROR (): ZipFile MESS: Cannot delete",
                          "ERROR (): InitParams MESS: QueryDosDevice fail PARAMS: C:\\Windows\\ "
                          "LAST_ERR (5, 00000005): Access is denied",
                          "ERROR (): X PARAMS: p LAST_ERR (-2147467259, 80004005): Unspecified error"));
}

TEST_F(LogEngineTest, RepeatsCollapseIntoASummary) {
  for (int i = 0; i < 10; ++i) XLog::Log("Same", "line");
  XLog::Log("Other", "line");
  EXPECT_THAT(Bodies(), ElementsAre(": Same PARAMS: line",
                                    "Multiple logs: : Same PARAMS: line Count: 9",
                                    ": Other PARAMS: line"));
}

TEST_F(LogEngineTest, ErrorsCompareOnlyWithTheLastError) {
  XLog::Error("E", "m");
  XLog::Log("info", "1");
  XLog::Error("E", "m");
  XLog::Log("info", "2");
  XLog::Error("E", "m");
  XLog::Error("F", "m");
  // A collapsed error still writes its record, whose flush reports the count
  // so far in the short summary form.
  EXPECT_THAT(Bodies(), ElementsAre("ERROR (): E MESS: m", ": info PARAMS: 1",
                                    "Multiple errors:ERROR (): E MESS: m Count: 1",
                                    ": info PARAMS: 2",
                                    "Multiple errors:ERROR (): E MESS: m Count: 1",
                                    "ERROR (): F MESS: m"));
}

TEST_F(LogEngineTest, ErrorRepeatsBeforeADifferentErrorGetTheLongSummary) {
  // Without a log folder no record is written and the count stays.
  XLog::Stop();
  XLog::Init("");
  XLog::Error("E", "m");
  XLog::Error("E", "m");
  XLog::Error("E", "m");
  XLog::Error("F", "m");
  std::vector<std::string> bodies;
  for (const std::string& line : XLog::GetNonTrackLogs()) bodies.push_back(Body(line));
  EXPECT_THAT(bodies, ElementsAre("ERROR (): E MESS: m", "Multiple errors: ERROR (): E MESS: m Count: 2",
                                  "ERROR (): F MESS: m"));
}

TEST_F(LogEngineTest, LinesBeforeInitAndAfterStopAreLost) {
  XLog::Stop();
  XLog::Log("lost", "before");
  XLog::Init(kFolder);
  XLog::Log("kept", "");
  XLog::Stop();
  XLog::Log("lost", "after");
  XLog::Init(kFolder);
  EXPECT_THAT(Bodies(), ElementsAre(": kept"));
}

TEST_F(LogEngineTest, FileIsUtf16WithBomAndBatchesEndWithAnEmptyLine) {
  XLog::Log("first", "");
  XLog::Flush();
  XLog::Log("second", "\xC3\xA9");  // é
  XLog::Flush();
  const std::string bytes = pc_.ReadFile(std::string(kFolder) + "program.log");
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
  // The first batch makes the file (no empty line); the appended one ends with one.
  const std::vector<std::string> lines = ReadLogFileLines(std::string(kFolder) + "program.log");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(Body(lines[0]), ": first");
  EXPECT_EQ(Body(lines[1]), ": second PARAMS: \xC3\xA9");
  EXPECT_EQ(lines[2], "");
  EXPECT_EQ(bytes.substr(bytes.size() - 8), std::string("\r\0\n\0\r\0\n\0", 8));
}

TEST_F(LogEngineTest, RotationMovesALargeFileAside) {
  const std::string log = std::string(kFolder) + "program.log";
  const std::string prev = std::string(kFolder) + "program_prev.log";
  pc_.WriteFile(prev, "old generation");
  pc_.WriteFile(log, "\xFF\xFE" + std::string(400001 - 2, 'x'));
  XLog::Log("after rotation", "");
  XLog::Flush();
  uint64_t size = 0;
  ASSERT_TRUE(platform::GetFileSize(prev, &size));
  EXPECT_EQ(size, 400001u) << "the large file replaced the older generation";
  const std::string bytes = pc_.ReadFile(log);
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE") << "the next batch starts a new file";
  EXPECT_THAT(Bodies(), ElementsAre(": after rotation"));
}

TEST_F(LogEngineTest, AFileOfExactly400000BytesIsNotRotated) {
  const std::string log = std::string(kFolder) + "program.log";
  pc_.WriteFile(log, "\xFF\xFE" + std::string(400000 - 2, 'x'));
  XLog::Log("appended", "");
  XLog::Flush();
  EXPECT_FALSE(platform::FileExists(std::string(kFolder) + "program_prev.log"));
}

TEST_F(LogEngineTest, ErrorRecordCarriesTheLinesBeforeTheLastOne) {
  XLog::Log("start", "");
  XLog::Flush();
  for (int i = 0; i < 30; ++i) XLog::Log("line", std::to_string(i));
  XLog::Error("Broken", "fail", 2, "x");
  const std::vector<std::string> record = ErrorLogLines();
  ASSERT_GE(record.size(), 24u);
  EXPECT_THAT(record[0], ::testing::EndsWith(": ERROR (): Broken MESS: fail PARAMS: x LAST_ERR "
                                              "(2, 00000002): The system cannot find the file specified"));
  EXPECT_EQ(record[1], "Last log entries:");
  // The appended batch ends: line 29, the error line, an empty line. The 21
  // lines before the last one: lines 10..29 and the error line.
  EXPECT_EQ(Body(record[2]), ": line PARAMS: 10");
  EXPECT_EQ(Body(record[21]), ": line PARAMS: 29");
  EXPECT_EQ(Body(record[22]), "ERROR (): Broken MESS: fail PARAMS: x LAST_ERR (2, 00000002): The "
                              "system cannot find the file specified");
  EXPECT_EQ(record[23], std::string(40, '='));
}

TEST_F(LogEngineTest, ErrorRecordOfAShortLogListsAllButTheLastLine) {
  XLog::Log("only", "");
  XLog::Error("E", "");
  const std::vector<std::string> record = ErrorLogLines();
  // A new program.log holds ": only" and the error line, with no empty line
  // after them: the error line is the last one and is left out.
  ASSERT_EQ(record.size(), 4u);
  EXPECT_EQ(Body(record[2]), ": only");
  EXPECT_EQ(record[3], std::string(40, '='));
}

TEST_F(LogEngineTest, RepeatedErrorsStillWriteRecords) {
  XLog::Error("Same", "x");
  XLog::Error("Same", "x");
  const std::vector<std::string> record = ErrorLogLines();
  int records = 0;
  for (const std::string& line : record) records += line == std::string(40, '=') ? 1 : 0;
  EXPECT_EQ(records, 2);
}

TEST_F(LogEngineTest, TrackingCapturesLinesAwayFromTheNonTrackList) {
  XLog::Log("before", "");
  XLog::StartTrackLogs();
  XLog::Log("during", "");
  const std::vector<std::string> tracked = XLog::StopTrackLogs();
  XLog::Log("after", "");
  ASSERT_EQ(tracked.size(), 1u);
  EXPECT_EQ(Body(tracked[0]), ": during");
  std::vector<std::string> rest;
  for (const std::string& line : XLog::GetNonTrackLogs()) rest.push_back(Body(line));
  EXPECT_THAT(rest, ElementsAre(": before", ": after"));
  EXPECT_THAT(Bodies(), ElementsAre(": before", ": during", ": after")) << "the file has all";
}

TEST_F(LogEngineTest, ALockedLogKeepsItsBatchForTheNextWrite) {
  XLog::Log("first", "");
  XLog::Flush();
  {
    // Another program holds the log open without write sharing.
    platform::File holder;
    ASSERT_TRUE(holder.Open(std::string(kFolder) + "program.log", platform::File::kRead,
                            platform::File::kShareRead, platform::File::kOpenExisting));
    XLog::Log("while locked", "");
    XLog::Flush();
  }
  XLog::Log("after", "");
  std::vector<std::string> info;
  for (const std::string& body : Bodies()) {
    if (StartsWith(body, ": ")) info.push_back(body);
  }
  EXPECT_THAT(info, ElementsAre(": first", ": while locked", ": after"));
}

TEST_F(LogEngineTest, ConcurrentWritersKeepEveryLineInOrder) {
  constexpr int kThreads = 4;
  constexpr int kLines = 2000;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < kLines; ++i) XLog::Log("T" + std::to_string(t), std::to_string(i));
    });
  }
  for (auto& th : threads) th.join();
  std::vector<int> next(kThreads, 0);
  int total = 0;
  for (const std::string& body : Bodies()) {
    const int t = body[3] - '0';
    ASSERT_EQ(body, ": T" + std::to_string(t) + " PARAMS: " + std::to_string(next[t]));
    ++next[t];
    ++total;
  }
  EXPECT_EQ(total, kThreads * kLines);
  EXPECT_EQ(XLog::GetNonTrackLogs().size(), static_cast<size_t>(kThreads * kLines));
}

TEST_F(LogEngineTest, TheThreadGoesRound) {
  EXPECT_TRUE(XLog::IsRunning());
  EXPECT_TRUE(XLog::WaitAlive());
  XLog::Stop();
  EXPECT_FALSE(XLog::IsCreated());
  EXPECT_FALSE(XLog::WaitAlive());
}

}  // namespace
}  // namespace tav
