// The driver snapshot sent to the download host, against tavrolin-service on
// 127.0.0.1.
#include <gtest/gtest.h>

#include <string>

#include "core/folders.h"
#include "net/upload_thread.h"
#include "tests/net/report_fixture.h"

namespace tav::testing {
namespace {

class SnapshotUploadTest : public ReportTest {
 protected:
  std::string SnapshotPath() const { return GetFolders().core_work + "Snapshot.ini"; }
};

TEST_F(SnapshotUploadTest, TheSnapshotGoesToTheDownloadHostAsItsFilePart) {
  // The service host is closed: only the download host can receive it.
  SetHosts(kClosedHost, host());
  const std::string snapshot =
      "[Settings]\r\nVersion=4.0\r\nBase=2021-03-01\r\n[1]\r\nType=date\r\ncreated=program\r\n";
  pc_->WriteFile(SnapshotPath(), snapshot);
  TUploadThread::StartSnapshot();
  ASSERT_TRUE(WaitForUploadThreads(10000));

  const std::vector<std::string> stored = Uploaded("snapshots");
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(stored[0], "0001-snapshot_file-Snapshot.ini");
  EXPECT_TRUE(SameBytes(UploadedBytes("snapshots", stored[0]), snapshot));
  const std::vector<AccessLine> access = AccessFor("/rpc/sendsnapshot", 1);
  ASSERT_EQ(access.size(), 1u);
  EXPECT_EQ(access[0].method, "POST");
  EXPECT_EQ(access[0].agent, "Mozilla/3.0 (compatible; Indy Library)");
}

TEST_F(SnapshotUploadTest, NoSnapshotFileMeansNoRequest) {
  TUploadThread::StartSnapshot();
  ASSERT_TRUE(WaitForUploadThreads(10000));
  EXPECT_TRUE(Uploaded("snapshots").empty());
  EXPECT_TRUE(service_->AccessFor("/rpc/sendsnapshot").empty());
}

TEST_F(SnapshotUploadTest, AFailedUploadIsSilent) {
  Faults({{{"path", "/rpc/sendsnapshot"}, {"status", 500}}});
  pc_->WriteFile(SnapshotPath(), "[Settings]\r\n[1]\r\n");
  TUploadThread::StartSnapshot();
  ASSERT_TRUE(WaitForUploadThreads(10000));
  EXPECT_EQ(AccessFor("/rpc/sendsnapshot", 1).size(), 1u);
  EXPECT_FALSE(HasLog("TUploadThread")) << LogText();
}

}  // namespace
}  // namespace tav::testing
