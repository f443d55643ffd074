// The program's log: one process-wide log with one background thread.
//
// Any thread calls XLog::Log or XLog::Error; the call formats one line,
// collapses exact repeats, queues the line and returns. The log thread moves
// queued lines into a write buffer every 5 s and appends the buffer to
// "program.log" at most every 30 s (or once 100 lines wait). An error also
// appends, at once and on the caller's thread, a self-contained record to
// "program_error.log" carrying the last lines of "program.log". Both files
// are UTF-16LE with a byte-order mark, CR LF lines, rotated at 400,000 bytes
// into "_prev.log" files. Every line is also kept in memory (the track list
// while an installation captures its own log, else the non-track list).
//
// None of these calls throws; every failure inside the log is swallowed.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

class XLog {
 public:
  // Starts the log on a folder (a path ending in "\"), or only points a
  // running log at it. Nothing once the program is stopping.
  static void Init(std::string_view folder);
  static void Log(std::string_view routine, std::string_view message);
  static void Error(std::string_view routine, std::string_view message, int32_t last_error = 0,
                    std::string_view params = {});
  // Moves the queue into the write buffer and writes it now.
  static void Flush();
  // Final flush; the thread ends and later lines are lost.
  static void Stop();
  static bool IsCreated();
  static bool IsRunning();
  // Whether the log thread still goes round (looks for about 3 s).
  static bool WaitAlive();

  static void StartTrackLogs();
  // Ends tracking and returns the lines captured since StartTrackLogs.
  static std::vector<std::string> StopTrackLogs();
  static std::vector<std::string> GetNonTrackLogs();

  // While a crash report is being packed, lines go to the files only.
  static void SetCrashReportMode(bool on);

  // The debug window (main thread): flushes the log and hands the lines of
  // "program_prev.log" and "program.log" to the window that the user
  // interface registered; nothing when none is registered.
  static void ShowDebugWindow();
  using DebugWindowHandler = std::function<void(const std::vector<std::string>& lines)>;
  static void SetDebugWindowHandler(DebugWindowHandler handler);

  // The file names inside the log folder.
  static constexpr std::string_view kLogFile = "program.log";
  static constexpr std::string_view kErrorLogFile = "program_error.log";
};

// True when "c:\debug.log.pc" exists; tested once, at the first question.
bool IsDebugLogMode();

// Lines of a log file read whole in its encoding (byte-order mark), without
// their line ends.
std::vector<std::string> ReadLogFileLines(std::string_view path);

}  // namespace tav
