// The crash reporter: an exception that ends a thread body is written to a
// report in the work folder, with the work-file archive "report-fatal.zip"
// beside it. Nothing is sent anywhere.
#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace tav {

struct CrashReportingOptions {
  bool enabled = true;
  bool show_full_report = false;  // "c:\debug.pc" exists
};

// Main-window creation: off when more than 20 days have passed since the
// build stamp; the full report only with the debug switch file.
CrashReportingOptions ConfigureCrashReporting();
bool CrashReportingEnabled();

// Writes the report of an exception caught in a thread body. Returns the
// report's path, or empty when crash reporting is off or the report could
// not be written.
std::string ReportThreadException(std::string_view thread_name, std::exception_ptr error);

inline constexpr std::string_view kCrashReportFile = "crash-report.txt";
inline constexpr std::string_view kCrashArchiveFile = "report-fatal.zip";

}  // namespace tav
