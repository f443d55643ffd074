#include "net/upload_thread.h"

#include <exception>
#include <thread>

#include "core/file_bytes.h"
#include "core/folders.h"
#include "core/ini_file.h"
#include "core/log_engine.h"
#include "core/process_flags.h"
#include "net/form_upload.h"
#include "net/service_hosts.h"
#include "platform/clock.h"
#include "platform/file_system.h"

namespace tav {

namespace {

constexpr std::string_view kExecute = "TUploadThread.Execute";

std::atomic<int> g_running{0};

std::string WorkPath(std::string_view name) {
  return GetFolders().core_work + std::string(name);
}

}  // namespace

void TUploadThread::StartSnapshot() {
  (new TUploadThread(Kind::kSnapshot, "Snapshot.ini"))->Start();
}

void TUploadThread::StartStatistics(std::string record_file) {
  (new TUploadThread(Kind::kStatistics, std::move(record_file)))->Start();
}

void TUploadThread::Start() {
  ++g_running;
  try {
    std::thread([this] {
      Execute();
      delete this;
      --g_running;
    }).detach();
  } catch (const std::exception& e) {
    XLog::Error("TUploadThread.Start", "CreateThread fail", 0, e.what());
    --g_running;
    delete this;
  }
}

void TUploadThread::Execute() {
  try {
    if (kind_ == Kind::kSnapshot) {
      SendSnapshot();
    } else {
      SendStatistics();
    }
  } catch (...) {
    // The snapshot swallows every error; a record's other errors are logged.
    if (kind_ == Kind::kStatistics)
      XLog::Error(kExecute, "Common error", 0, WorkPath(record_file_));
  }
}

void TUploadThread::SendSnapshot() {
  if (IsApplicationTerminated())
    return;
  const std::string path = WorkPath(record_file_);
  std::string content;
  if (!platform::FileExists(path) || !ReadFileBytes(path, &content))
    return;
  PostFormFile(DownloadHost(), "/rpc/sendsnapshot", "snapshot_file", record_file_,
               std::move(content));
}

void TUploadThread::SendStatistics() {
  const std::string path = WorkPath(record_file_);
  std::string content;
  if (!ReadFileBytes(path, &content)) {
    XLog::Error(kExecute, "Common error", 0, path);
    return;
  }
  // A POST that fails leaves "Upload" = 1: the record goes again at the next start.
  if (tav::SendStatistics() && !PostFormFile(ServiceHost(), "/rpc/senddriverstats", "file",
                                             record_file_, std::move(content))) {
    return;
  }
  TMemIniFile record(path);
  record.WriteInteger("Settings", "Upload", 0);
  int32_t error = 0;
  if (record.UpdateFile(&error))
    return;
  XLog::Error(kExecute, "Ini.UpdateFile fail", error, path);
  platform::Sleep(1000);
  if (!record.UpdateFile(&error))
    XLog::Error(kExecute, "Ini.UpdateFile fail 2", error, path);
}

int UploadThreadCount() {
  return g_running;
}

bool WaitForUploadThreads(uint32_t timeout_ms) {
  for (uint32_t waited = 0; g_running > 0; waited += 10) {
    if (waited >= timeout_ms)
      return false;
    platform::Sleep(10);
  }
  return true;
}

}  // namespace tav
