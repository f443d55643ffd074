// XInternet::LoadInternetFile: a download into a file through a
// ".downloading" file that an interrupted earlier attempt left, renamed to
// the target once complete.
#include <string>

#include "core/date_time.h"
#include "core/file_utils.h"
#include "core/log_engine.h"
#include "core/text_utils.h"
#include "net/internet.h"
#include "net/transport_state.h"
#include "platform/clock.h"
#include "platform/file_system.h"

namespace tav {

namespace {

constexpr std::string_view kRoutine = "XInternet.LoadInternetFile";
constexpr double kStaleAfterDays = 2.0;

// A partial file this old belongs to a package that may have changed since.
std::string TemporaryName(const std::string& file_name) {
  const std::string temporary = file_name + ".downloading";
  DateTime modified = 0;
  if (!platform::FileExists(temporary) || !XFile::GetFileModifiedTime(temporary, &modified) ||
      Now() - modified <= kStaleAfterDays) {
    return temporary;
  }
  if (XFile::DeleteFile(temporary))
    return temporary;
  XLog::Error(kRoutine, "Cannot delete 2", 0, temporary);
  return file_name + "." + std::to_string(platform::GetTickCount()) + ".downloading";
}

// Looked at again after 100 ms: another download may be creating the same
// folder at this moment.
bool EnsureFolder(const std::string& file_name) {
  const std::string folder = ExtractFilePath(file_name);
  if (folder.empty() || platform::DirectoryExists(folder))
    return true;
  if (XFile::ForceDirectories(folder))
    return true;
  platform::Sleep(100);
  if (platform::DirectoryExists(folder))
    return true;
  int32_t error = 0;
  platform::CreateDirectory(folder, &error);
  XLog::Error(kRoutine, "ForceDirectories fail", error, folder);
  return false;
}

// Retried after 2 s (an antivirus scan often holds a fresh file), then once
// more after deleting it.
bool OpenTemporary(const std::string& temporary, FileStream* stream) {
  int32_t error = 0;
  if (stream->Open(temporary, &error))
    return true;
  platform::Sleep(2000);
  if (stream->Open(temporary, &error))
    return true;
  platform::Sleep(500);
  if (!XFile::DeleteFile(temporary))
    XLog::Error(kRoutine, "Cannot delete 3", 0, temporary);
  if (stream->Open(temporary, &error))
    return true;
  XLog::Error(kRoutine, "Cannot open", error, temporary);
  return false;
}

void PutInPlace(const std::string& temporary, const std::string& file_name) {
  if (!XFile::DeleteFile(file_name))
    XLog::Error(kRoutine, "Cannot delete 4", 0, file_name);
  int32_t error = 0;
  if (!platform::MoveFile(temporary, file_name, false, &error)) {
    XLog::Error(kRoutine, "Cannot rename", error, temporary + " -> " + file_name);
  }
}

}  // namespace

bool XInternet::LoadInternetFile(std::string_view agent,
                                 std::string_view host,
                                 std::string_view path,
                                 int32_t timeout_ms,
                                 const TransferProgress& progress,
                                 bool https,
                                 std::string_view file_name) {
  Transport().request_timeout_ms = timeout_ms;
  const std::string target(file_name);
  const std::string temporary = TemporaryName(target);
  if (!EnsureFolder(target))
    return false;
  FileStream stream;
  if (!OpenTemporary(temporary, &stream))
    return false;
  bool success = LoadInternetData(agent, host, path, stream, https, progress, false);
  if (success && stream.Size() == 0) {
    XLog::Log(kRoutine, "LoadInternetData success but empty result");
    success = false;
  }
  stream.Close();
  if (success)
    PutInPlace(temporary, target);
  return success;
}

}  // namespace tav
