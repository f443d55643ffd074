#include "net/report_hooks.h"

#include "matching/snapshot_collector.h"
#include "net/install_statistics.h"
#include "net/upload_thread.h"

namespace tav {

void ConnectReports(CoreHooks* hooks) {
  SetSnapshotUploader([](const std::string&) { TUploadThread::StartSnapshot(); });
  hooks->resend_install_statistics = [] { CheckUploadToInstallStat(); };
}

}  // namespace tav
