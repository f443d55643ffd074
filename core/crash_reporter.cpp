#include "core/crash_reporter.h"

#include <atomic>
#include <mutex>

#include "core/build_stamp.h"
#include "core/date_time.h"
#include "core/folders.h"
#include "core/format_settings.h"
#include "core/log_engine.h"
#include "core/work_file_archive.h"
#include "platform/file_system.h"
#include "platform/system_info.h"

namespace tav {

namespace {

std::atomic<bool> g_enabled{true};
std::mutex g_report_mutex;

std::string Describe(std::exception_ptr error) {
  try {
    if (error) std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return std::string("std::exception: ") + e.what();
  } catch (...) {
    return "unknown exception";
  }
  return "no exception";
}

}  // namespace

CrashReportingOptions ConfigureCrashReporting() {
  CrashReportingOptions options;
  options.enabled = Now() - BuildStampDate() <= 20.0;
  options.show_full_report = platform::FileExists("c:\\debug.pc");
  g_enabled = options.enabled;
  return options;
}

bool CrashReportingEnabled() { return g_enabled; }

std::string ReportThreadException(std::string_view thread_name, std::exception_ptr error) {
  if (!g_enabled) return {};
  std::lock_guard<std::mutex> lock(g_report_mutex);
  const std::string folder = GetFolders().core_work;
  if (folder.empty()) return {};
  XLog::SetCrashReportMode(true);
  XLog::Flush();
  CreateWorkFileArchive(folder, kCrashArchiveFile);
  XLog::SetCrashReportMode(false);

  platform::OsVersionInfo version;
  platform::GetVersionInfo(&version);
  std::string text;
  text += "Tavrolin crash report\r\n";
  text += "date/time   : " + DateTimeToStr(Now(), UserFormatSettings()) + "\r\n";
  text += "build       : " + std::string(kBuildStamp) + "\r\n";
  text += "thread      : " + std::string(thread_name) + "\r\n";
  text += "exception   : " + Describe(error) + "\r\n";
  text += "os          : " + std::to_string(version.major) + "." + std::to_string(version.minor) +
          "." + std::to_string(version.build) + " " + version.csd_version + "\r\n";
  text += "attachments : Devices.ini, DevicesPlus.ini, Scan.ini, program.log, "
          "program_error.log, " + std::string(kCrashArchiveFile) + "\r\n";
  const std::string path = folder + std::string(kCrashReportFile);
  platform::File file;
  if (!file.Open(path, platform::File::kWrite, platform::File::kShareRead,
                 platform::File::kCreateAlways) ||
      !file.Write(text.data(), text.size())) {
    return {};
  }
  return path;
}

}  // namespace tav
