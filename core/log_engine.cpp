#include "core/log_engine.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "core/crash_reporter.h"
#include "core/date_time.h"
#include "core/file_utils.h"
#include "core/format_settings.h"
#include "core/log_text_buffer.h"
#include "core/main_thread.h"
#include "core/process_flags.h"
#include "core/system_error.h"
#include "core/text_utils.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/message_box.h"

namespace tav {

namespace {

constexpr uint64_t kRotateAtBytes = 400000;
constexpr uint32_t kMoveIntervalMs = 5000;
constexpr uint32_t kWriteCheckIntervalMs = 30000;
constexpr uint64_t kWriteAfterMs = 60000;
constexpr size_t kWriteAtLines = 100;
constexpr uint32_t kRoundMs = 100;

// One lock for posting: the queue of the running log object, the repeat
// state and the memory lists, so that queue and lists keep the same order.
std::mutex g_post_mutex;

// The memory lists outlive single log objects: the track list lives until
// the program ends, the non-track list from the first start until Stop.
struct MemoryLists {
  LogTextBuffer non_track;
  bool non_track_created = false;
  LogTextBuffer track;
  bool tracking = false;
  bool crash_report_mode = false;
};

MemoryLists& Lists() {
  static MemoryLists lists;
  return lists;
}

std::mutex g_folder_mutex;
std::string g_folder;

std::string Folder() {
  std::lock_guard<std::mutex> lock(g_folder_mutex);
  return g_folder;
}

std::mutex g_handler_mutex;
XLog::DebugWindowHandler g_debug_window;
std::atomic<bool> g_window_call_pending{false};

thread_local bool t_in_error_record = false;

// Spare chunks each growing buffer keeps ready.
constexpr size_t kSparesAhead = 2;

class LogObject {
 public:
  LogObject() : format_(UserFormatSettings()) {
    const uint64_t now = platform::GetTickCount64();
    next_move_ = now + kMoveIntervalMs;
    next_write_check_ = now + kWriteCheckIntervalMs;
    PrepareSpares();
  }

  void Start() { thread_ = std::thread([this] { Run(); }); }

  // Posting a line: repeat check, summaries, the stored line (time + line)
  // into the queue and the memory list. False when the line was dropped or
  // collapsed into a repeat count.
  bool Post(const std::string& line, bool is_error) {
    if (stopping_.load(std::memory_order_relaxed) || IsApplicationTerminated()) return false;
    thread_local std::string stored;
    stored.clear();
    AppendTimeText(&stored);
    stored += ' ';
    stored += line;
    bool short_of_spares = false;
    {
      std::lock_guard<std::mutex> lock(g_post_mutex);
      std::string& last = is_error ? last_error_ : last_log_;
      int& repeats = is_error ? error_repeats_ : log_repeats_;
      if (!last.empty() && last == line) {
        ++repeats;
        return false;
      }
      if (error_repeats_ > 0) {
        EmitLocked("Multiple errors: " + last_error_ + " Count: " + std::to_string(error_repeats_));
        error_repeats_ = 0;
      }
      if (log_repeats_ > 0) {
        EmitLocked("Multiple logs: " + last_log_ + " Count: " + std::to_string(log_repeats_));
        log_repeats_ = 0;
      }
      EmitLocked(stored);
      last = line;
      short_of_spares = queue_.spare_count() == 0 || Lists().non_track.spare_count() == 0;
    }
    if (short_of_spares) WakeThread();
    return true;
  }

  // Moves the queue and writes the buffer now (XLog.Flush / XLog.Stop).
  void FlushNow(bool final) {
    if (final) stopping_ = true;
    std::lock_guard<std::recursive_mutex> lock(file_mutex_);
    MoveQueue();
    WriteBuffer(true);
  }

  void AskToEnd() {
    {
      std::lock_guard<std::mutex> lock(sleep_mutex_);
      terminate_ = true;
    }
    sleep_cv_.notify_all();
  }

  void Join() {
    if (thread_.joinable()) {
      if (thread_.get_id() == std::this_thread::get_id()) {
        thread_.detach();
      } else {
        thread_.join();
      }
    }
  }

  bool stopping() const { return stopping_; }
  std::atomic<bool>& alive() { return alive_; }

  // The error record: the error line, the 21 lines before the last line of
  // "program.log", and a closing rule, appended to "program_error.log".
  void WriteErrorRecord(const std::string& error_line) {
    std::vector<std::string> record;
    record.push_back(DateTimeToStr(Now(), format_) + ": " + error_line);
    record.push_back("Last log entries:");
    std::lock_guard<std::recursive_mutex> lock(file_mutex_);
    MoveQueue();
    WriteBuffer(true);
    const std::string path = LogPath();
    if (!path.empty() && platform::FileExists(path)) {
      const std::vector<std::string> lines = ReadLogFileLines(path);
      const int count = static_cast<int>(lines.size());
      for (int i = count - 22; i <= count - 2; ++i) {
        if (i >= 0) record.push_back(lines[static_cast<size_t>(i)]);
      }
    }
    record.push_back(std::string(40, '='));
    std::vector<uint8_t> bytes;
    for (const std::string& line : record) AppendUtf16(line, &bytes);
    AppendBytes(ErrorLogPath(), bytes);
  }

 private:
  // The local time in the user's long time format, made once per second.
  void AppendTimeText(std::string* out) {
    thread_local int64_t cached_second = -1;
    thread_local std::string cached_text;
    const DateTime now = Now();
    const auto second = static_cast<int64_t>(now * 86400.0);
    if (second != cached_second) {
      cached_text = TimeToStr(now, format_);
      cached_second = second;
    }
    *out += cached_text;
  }

  // Caller holds g_post_mutex.
  void EmitLocked(std::string_view line) {
    queue_.Append(line);
    MemoryLists& lists = Lists();
    if (lists.crash_report_mode) return;
    if (lists.tracking) {
      lists.track.Append(line);
    } else if (lists.non_track_created) {
      lists.non_track.Append(line);
    }
  }

  void WakeThread() {
    {
      std::lock_guard<std::mutex> lock(sleep_mutex_);
      wake_ = true;
    }
    sleep_cv_.notify_one();
  }

  // Makes the spare chunks of the growing buffers outside the posting lock.
  void PrepareSpares() {
    auto top_up = [](LogTextBuffer& buffer) {
      for (;;) {
        {
          std::lock_guard<std::mutex> lock(g_post_mutex);
          if (buffer.spare_count() >= kSparesAhead) return;
        }
        auto chunk = LogTextBuffer::MakeTouchedChunk();
        std::lock_guard<std::mutex> lock(g_post_mutex);
        buffer.AddSpare(std::move(chunk));
      }
    };
    top_up(queue_);
    top_up(Lists().non_track);
    if (Lists().tracking) top_up(Lists().track);
  }

  void Run() {
    try {
      while (!IsApplicationTerminated() && !IsStopping()) {
        {
          std::unique_lock<std::mutex> lock(sleep_mutex_);
          if (terminate_) break;
        }
        const uint64_t now = platform::GetTickCount64();
        if (next_move_ < now) {
          std::lock_guard<std::recursive_mutex> lock(file_mutex_);
          MoveQueue();
          next_move_ = now + kMoveIntervalMs;
        }
        if (next_write_check_ < now) {
          std::lock_guard<std::recursive_mutex> lock(file_mutex_);
          WriteBuffer(false);
          next_write_check_ = now + kWriteCheckIntervalMs;
        }
        PrepareSpares();
        {
          std::unique_lock<std::mutex> lock(sleep_mutex_);
          sleep_cv_.wait_for(lock, std::chrono::milliseconds(kRoundMs),
                             [this] { return terminate_ || wake_; });
          wake_ = false;
        }
        alive_ = true;
      }
    } catch (const std::exception& e) {
      if (!IsApplicationTerminated() && !IsStopping()) {
        XLog::Error("XLog.Execute", "Common error", 0, e.what());
        ReportThreadException("XLog", std::current_exception());
      }
    } catch (...) {
      if (!IsApplicationTerminated() && !IsStopping()) {
        ReportThreadException("XLog", std::current_exception());
      }
    }
    try {
      std::lock_guard<std::recursive_mutex> lock(file_mutex_);
      MoveQueue();
      WriteBuffer(true);
    } catch (...) {
    }
  }

  // Caller holds file_mutex_.
  void MoveQueue() {
    std::lock_guard<std::mutex> lock(g_post_mutex);
    if (queue_.empty()) return;
    if (write_buffer_.empty()) {
      write_buffer_.Swap(queue_);
    } else {
      queue_.ForEach([this](std::string_view line) { write_buffer_.Append(line); });
      queue_.Clear();
    }
  }

  // Caller holds file_mutex_.
  void WriteBuffer(bool forced) {
    if (writing_) return;  // an error while writing must not write again
    if (Folder().empty()) {
      std::lock_guard<std::mutex> lock(g_post_mutex);
      ClearWriteBufferLocked();
      return;
    }
    const uint64_t now = platform::GetTickCount64();
    if (!forced && write_buffer_.size() < kWriteAtLines && now - last_write_tick_ < kWriteAfterMs) {
      return;
    }
    {
      std::lock_guard<std::mutex> lock(g_post_mutex);
      if (error_repeats_ > 0) {
        // Goes out with a later write, as its place in the queue says.
        queue_.Append("Multiple errors:" + last_error_ + " Count: " + std::to_string(error_repeats_));
        error_repeats_ = 0;
      }
    }
    if (write_buffer_.empty()) return;
    writing_ = true;
    last_write_tick_ = now;
    bytes_.clear();
    write_buffer_.ForEach([this](std::string_view line) { AppendUtf16(line, &bytes_); });
    if (AppendBytes(LogPath(), bytes_)) {
      std::lock_guard<std::mutex> lock(g_post_mutex);
      ClearWriteBufferLocked();
    }
    writing_ = false;
  }

  void ClearWriteBufferLocked() {
    write_buffer_.Clear();
    queue_.TakeSpares(write_buffer_);
  }

  std::string LogPath() {
    if (log_path_.empty()) {
      const std::string folder = Folder();
      if (!folder.empty()) log_path_ = folder + std::string(XLog::kLogFile);
    }
    return log_path_;
  }

  std::string ErrorLogPath() {
    if (error_log_path_.empty()) {
      const std::string folder = Folder();
      if (!folder.empty()) error_log_path_ = folder + std::string(XLog::kErrorLogFile);
    }
    return error_log_path_;
  }

  // Appends UTF-16LE lines (each ending in CR LF) to a log file. An existing
  // file gets them after an extra empty line's worth of CR LF at the end of
  // the batch; a missing file is made with a byte-order mark. A failed open
  // is tried once more after 100 ms; after that the lines stay for the next
  // write (false).
  bool AppendBytes(const std::string& path, std::vector<uint8_t>& bytes) {
    if (path.empty() || bytes.empty()) return true;
    try {
      Rotate(path);
      if (platform::FileExists(path)) {
        platform::File file = XFile::AssignFileW(path, false, true);
        if (!file.IsOpen()) {
          platform::Sleep(100);
          file = XFile::AssignFileW(path, false, true);
        }
        if (!file.IsOpen()) return false;
        bytes.insert(bytes.end(), {0x0D, 0x00, 0x0A, 0x00});
        const bool written = file.Write(bytes.data(), bytes.size());
        bytes.resize(bytes.size() - 4);
        return written;
      }
      XFile::ForceDirectories(ExtractFilePath(path));
      platform::File file;
      if (!file.Open(path, platform::File::kWrite, platform::File::kShareRead,
                     platform::File::kCreateAlways)) {
        return false;
      }
      static constexpr uint8_t kBom[2] = {0xFF, 0xFE};
      return file.Write(kBom, 2) && file.Write(bytes.data(), bytes.size());
    } catch (...) {
      return false;
    }
  }

  static void AppendUtf16(std::string_view line, std::vector<uint8_t>* bytes) {
    bool ascii = true;
    for (unsigned char c : line) {
      if (c >= 0x80) {
        ascii = false;
        break;
      }
    }
    if (ascii) {
      for (unsigned char c : line) {
        bytes->push_back(c);
        bytes->push_back(0);
      }
    } else {
      const std::vector<uint8_t> wide = Utf8ToUtf16leBytes(line, false);
      bytes->insert(bytes->end(), wide.begin(), wide.end());
    }
    bytes->insert(bytes->end(), {0x0D, 0x00, 0x0A, 0x00});
  }

  static void Rotate(const std::string& path) {
    uint64_t size = 0;
    if (!platform::GetFileSize(path, &size) || size <= kRotateAtBytes) return;
    const std::string prev = path.substr(0, path.size() - 4) + "_prev.log";
    if (platform::FileExists(prev)) {
      if (XFile::DeleteFile(prev)) platform::CopyFile(path, prev, false);
    } else {
      platform::CopyFile(path, prev, false);
    }
    XFile::DeleteFile(path);
  }

  TFormatSettings format_;
  std::thread thread_;

  // Guarded by g_post_mutex.
  LogTextBuffer queue_;
  std::string last_error_, last_log_;
  int error_repeats_ = 0;
  int log_repeats_ = 0;

  std::recursive_mutex file_mutex_;
  LogTextBuffer write_buffer_;  // swapped with the queue under both locks
  std::vector<uint8_t> bytes_;
  std::string log_path_, error_log_path_;
  uint64_t last_write_tick_ = 0;
  bool writing_ = false;

  std::mutex sleep_mutex_;
  std::condition_variable sleep_cv_;
  bool terminate_ = false;
  bool wake_ = false;

  std::atomic<bool> stopping_{false};
  std::atomic<bool> alive_{false};
  uint64_t next_move_ = 0;
  uint64_t next_write_check_ = 0;
};

std::atomic<LogObject*> g_log{nullptr};
std::mutex g_lifecycle_mutex;

// Log objects stay allocated until the process ends: a caller on another
// thread may still hold the pointer it loaded just before a stop.
std::vector<std::unique_ptr<LogObject>>& Objects() {
  static std::vector<std::unique_ptr<LogObject>> objects;
  return objects;
}

// Stops a log that is still running when the process ends.
struct StopAtExit {
  ~StopAtExit() { XLog::Stop(); }
} g_stop_at_exit;

void InfoLine(std::string_view routine, std::string_view message, std::string* line) {
  line->clear();
  *line += ": ";
  *line += routine;
  if (!message.empty()) {
    *line += " PARAMS: ";
    *line += message;
  }
}

std::string ErrorLine(std::string_view routine, std::string_view message, int32_t last_error,
                      std::string_view params) {
  std::string line = "ERROR (): ";
  line += routine;
  if (!message.empty()) line += " MESS: " + std::string(message);
  if (!params.empty()) line += " PARAMS: " + std::string(params);
  if (last_error != 0) {
    line += " LAST_ERR (" + std::to_string(last_error) + ", " +
            IntToHex(static_cast<uint32_t>(last_error), 8) + "): " + SysErrorMessage(last_error);
  }
  return line;
}

void ShowDebugWindowFromAnyThread() {
  {
    std::lock_guard<std::mutex> lock(g_handler_mutex);
    if (!g_debug_window) return;
  }
  if (MainThread::IsMainThread()) {
    XLog::ShowDebugWindow();
    return;
  }
  for (int i = 0; i < 10 && g_window_call_pending; ++i) platform::Sleep(100);
  g_window_call_pending = true;
  MainThread::Synchronize([] { XLog::ShowDebugWindow(); });
  g_window_call_pending = false;
}

}  // namespace

void XLog::Init(std::string_view folder) {
  if (IsStopping()) return;
  std::lock_guard<std::mutex> lock(g_lifecycle_mutex);
  {
    std::lock_guard<std::mutex> folder_lock(g_folder_mutex);
    g_folder = folder;
  }
  if (g_log.load()) return;
  {
    std::lock_guard<std::mutex> post_lock(g_post_mutex);
    Lists().non_track_created = true;
  }
  auto object = std::make_unique<LogObject>();
  object->Start();
  g_log.store(object.get());
  Objects().push_back(std::move(object));
}

void XLog::Log(std::string_view routine, std::string_view message) {
  LogObject* log = g_log.load(std::memory_order_acquire);
  if (!log) return;
  thread_local std::string line;
  InfoLine(routine, message, &line);
  log->Post(line, false);
}

void XLog::Error(std::string_view routine, std::string_view message, int32_t last_error,
                 std::string_view params) {
  LogObject* log = g_log.load(std::memory_order_acquire);
  if (!log) return;
  try {
    std::string line = ErrorLine(routine, message, last_error, params);
    const bool emitted = log->Post(line, true);
    if (emitted && IsDebugLogMode()) ShowDebugWindowFromAnyThread();
    if (t_in_error_record) return;
    t_in_error_record = true;
    if (IsDebugLogMode() && IsStopping()) {
      if (MainThread::IsMainThread()) {
        platform::MessageBox(line + "\n\r", "", platform::mb::kOk);
      } else {
        platform::Beep(750, 300);
        platform::MessageBox(line, "Error on Terminate", platform::mb::kOk);
      }
    }
    log->WriteErrorRecord(line);
    t_in_error_record = false;
  } catch (...) {
    t_in_error_record = false;
  }
}

void XLog::Flush() {
  LogObject* log = g_log.load(std::memory_order_acquire);
  if (!log) return;
  try {
    log->FlushNow(false);
  } catch (...) {
  }
}

void XLog::Stop() {
  LogObject* log = nullptr;
  {
    std::lock_guard<std::mutex> lock(g_lifecycle_mutex);
    log = g_log.load();
    if (!log) return;
    try {
      log->FlushNow(true);
    } catch (...) {
    }
    log->AskToEnd();
    g_log.store(nullptr);
    std::lock_guard<std::mutex> post_lock(g_post_mutex);
    Lists().non_track.Release();
    Lists().non_track_created = false;
  }
  log->Join();
}

bool XLog::IsCreated() { return g_log.load() != nullptr; }

bool XLog::IsRunning() {
  LogObject* log = g_log.load();
  return log && !log->stopping();
}

bool XLog::WaitAlive() {
  LogObject* log = g_log.load();
  if (!log || log->stopping()) return false;
  log->alive() = false;
  for (int i = 0; i < 30; ++i) {
    platform::Sleep(100);
    if (log->alive()) return true;
  }
  return false;
}

void XLog::StartTrackLogs() {
  std::lock_guard<std::mutex> lock(g_post_mutex);
  Lists().track.Clear();
  Lists().tracking = true;
}

std::vector<std::string> XLog::StopTrackLogs() {
  std::lock_guard<std::mutex> lock(g_post_mutex);
  Lists().tracking = false;
  return Lists().track.Lines();
}

std::vector<std::string> XLog::GetNonTrackLogs() {
  std::lock_guard<std::mutex> lock(g_post_mutex);
  return Lists().non_track.Lines();
}

void XLog::SetCrashReportMode(bool on) {
  std::lock_guard<std::mutex> lock(g_post_mutex);
  Lists().crash_report_mode = on;
}

void XLog::SetDebugWindowHandler(DebugWindowHandler handler) {
  std::lock_guard<std::mutex> lock(g_handler_mutex);
  g_debug_window = std::move(handler);
}

void XLog::ShowDebugWindow() {
  DebugWindowHandler handler;
  {
    std::lock_guard<std::mutex> lock(g_handler_mutex);
    handler = g_debug_window;
  }
  if (!handler) return;
  Flush();
  const std::string folder = Folder();
  const std::string log = folder + std::string(kLogFile);
  const std::string prev = folder + "program_prev.log";
  std::vector<std::string> lines;
  if (platform::FileExists(log)) {
    if (platform::FileExists(prev)) lines = ReadLogFileLines(prev);
    const std::vector<std::string> current = ReadLogFileLines(log);
    lines.insert(lines.end(), current.begin(), current.end());
  }
  handler(lines);
}

bool IsDebugLogMode() {
  static const bool mode = platform::FileExists("c:\\debug.log.pc");
  return mode;
}

std::vector<std::string> ReadLogFileLines(std::string_view path) {
  platform::File file;
  std::vector<std::string> lines;
  if (!file.Open(path, platform::File::kRead, platform::File::kShareRead | platform::File::kShareWrite,
                 platform::File::kOpenExisting)) {
    return lines;
  }
  std::string bytes;
  char buffer[65536];
  for (;;) {
    size_t got = 0;
    if (!file.Read(buffer, sizeof buffer, &got) || got == 0) break;
    bytes.append(buffer, got);
  }
  std::string text;
  if (bytes.size() >= 2 && static_cast<uint8_t>(bytes[0]) == 0xFF &&
      static_cast<uint8_t>(bytes[1]) == 0xFE) {
    text = Utf16leBytesToUtf8(reinterpret_cast<const uint8_t*>(bytes.data()) + 2, bytes.size() - 2);
  } else if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    text = bytes.substr(3);
  } else {
    text = bytes;
  }
  // A text ending in a line break has no empty line after it.
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
  }
  return lines;
}

}  // namespace tav
