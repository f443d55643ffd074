#include "core/archive.h"

#include <archive.h>
#include <archive_entry.h>

#include <memory>
#include <stdexcept>

#include "core/file_utils.h"
#include "core/folders.h"
#include "core/log_engine.h"
#include "core/md5.h"
#include "core/text_utils.h"
#include "platform/clock.h"
#include "platform/error_text.h"
#include "platform/file_system.h"

namespace tav {

namespace {

// Readers (antivirus, indexers) often hold a fresh file for a moment:
// callers get the extracted files after a pause.
constexpr uint32_t kSettleMs = 1000;
constexpr uint32_t kCreateRetryMs = 1000;
constexpr size_t kReadBlockBytes = 1u << 20;
constexpr size_t kCopyBlockBytes = 1u << 20;
constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000ull;

enum class Format { kNone, kZip, kSevenZip };

// A failure inside the extraction; UnZipFile turns it into the retry.
class ExtractionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct ReadDeleter {
  void operator()(archive* a) const { archive_read_free(a); }
};
struct WriteDeleter {
  void operator()(archive* a) const { archive_write_free(a); }
};
struct EntryDeleter {
  void operator()(archive_entry* e) const { archive_entry_free(e); }
};
using Reader = std::unique_ptr<archive, ReadDeleter>;
using Writer = std::unique_ptr<archive, WriteDeleter>;
using Entry = std::unique_ptr<archive_entry, EntryDeleter>;

std::string ArchiveErrorText(archive* a) {
  const char* text = archive_error_string(a);
  return text && *text ? text : "archive error " + std::to_string(archive_errno(a));
}

std::string CreateErrorText(const std::string& file, int32_t error) {
  return "Cannot create file \"" + file + "\". " + platform::SystemErrorMessage(error);
}

Format FormatOf(std::string_view archive_path) {
  const std::string ext = ToLowerAscii(ExtractFileExt(archive_path));
  if (ext == ".zip")
    return Format::kZip;
  if (ext == ".7z")
    return Format::kSevenZip;
  return Format::kNone;
}

uint64_t EntryFileTime(archive_entry* entry) {
  const int64_t seconds = archive_entry_mtime(entry);
  const int64_t nanoseconds = archive_entry_mtime_nsec(entry);
  if (seconds < 0)
    return 0;
  return static_cast<uint64_t>(seconds) * 10000000ull + static_cast<uint64_t>(nanoseconds) / 100 +
         kUnixEpochAsFileTime;
}

void SetEntryFileTime(archive_entry* entry, uint64_t file_time) {
  if (file_time < kUnixEpochAsFileTime)
    return;
  const uint64_t since_epoch = file_time - kUnixEpochAsFileTime;
  archive_entry_set_mtime(entry, static_cast<time_t>(since_epoch / 10000000ull),
                          static_cast<long>(since_epoch % 10000000ull * 100));
}

std::string EntryName(archive_entry* entry) {
  const char* utf8 = archive_entry_pathname_utf8(entry);
  if (!utf8)
    utf8 = archive_entry_pathname(entry);
  return utf8 ? utf8 : "";
}

bool IsUnsafeName(const std::string& name) {
  if (name.empty() || name[0] == '/' || name[0] == '\\')
    return true;
  if (name.size() >= 2 && name[1] == ':')
    return true;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find_first_of("/\\", start);
    if (end == std::string::npos)
      end = name.size();
    if (name.compare(start, end - start, "..") == 0)
      return true;
    start = end + 1;
  }
  return false;
}

bool IsLink(archive_entry* entry) {
  return archive_entry_filetype(entry) == AE_IFLNK || archive_entry_hardlink(entry) != nullptr ||
         archive_entry_symlink(entry) != nullptr;
}

// The item's path below dest with Windows separators; refuses items that
// would land outside dest.
std::string SafeItemPath(archive_entry* entry, std::string_view archive_path) {
  const std::string name = EntryName(entry);
  if (IsLink(entry) || IsUnsafeName(name)) {
    XLog::Error("UnZipFile", "Unsafe entry refused: " + name, 0, archive_path);
    throw ExtractionError("Unsafe entry refused: " + name);
  }
  std::string path = name;
  for (char& c : path) {
    if (c == '/')
      c = '\\';
  }
  return path;
}

bool IsFolder(archive_entry* entry) {
  return archive_entry_filetype(entry) == AE_IFDIR;
}

Reader OpenReader(const std::string& archive_path, Format format) {
  Reader reader(archive_read_new());
  if (!reader)
    throw ExtractionError("Cannot create the archive reader");
  if (format == Format::kZip) {
    archive_read_support_format_zip(reader.get());
  } else {
    archive_read_support_format_7zip(reader.get());
  }
  const std::string native = platform::NativePath(archive_path);
  if (native.empty())
    throw ExtractionError("Cannot open archive " + std::string(archive_path));
  if (archive_read_open_filename(reader.get(), native.c_str(), kReadBlockBytes) != ARCHIVE_OK) {
    throw ExtractionError(ArchiveErrorText(reader.get()));
  }
  return reader;
}

// The next item, or null at the end of the archive.
archive_entry* NextEntry(archive* reader) {
  archive_entry* entry = nullptr;
  const int rc = archive_read_next_header(reader, &entry);
  if (rc == ARCHIVE_EOF)
    return nullptr;
  if (rc < ARCHIVE_WARN)
    throw ExtractionError(ArchiveErrorText(reader));
  return entry;
}

// A pass over the headers: the items are checked before anything is written,
// and the total size is known before the first progress report.
uint64_t TotalSize(const std::string& archive_path, Format format) {
  Reader reader = OpenReader(archive_path, format);
  uint64_t total = 0;
  while (archive_entry* entry = NextEntry(reader.get())) {
    SafeItemPath(entry, archive_path);
    if (!IsFolder(entry) && archive_entry_size_is_set(entry) && archive_entry_size(entry) > 0) {
      total += static_cast<uint64_t>(archive_entry_size(entry));
    }
  }
  return total;
}

void ForceItemFolder(const std::string& file) {
  const std::string folder = ExtractFilePath(file);
  if (platform::DirectoryExists(folder) || XFile::ForceDirectories(folder))
    return;
  // The helper keeps no error code: its last step, repeated, tells why.
  int32_t error = 0;
  platform::CreateDirectory(ExcludeTrailingBackslash(folder), &error);
  XLog::Error("T7zInArchive.GetStream", "ForceDirectories failed", error, file + " -> " + folder);
}

bool CreateItemFile(const std::string& file, platform::File* out, int32_t* error) {
  return out->Open(file, platform::File::kWrite,
                   platform::File::kShareRead | platform::File::kShareWrite,
                   platform::File::kCreateAlways, error);
}

// Retried once: a locked file is common right after an install, and the
// deletion moves a locked file aside.
platform::File CreateItem(const std::string& file) {
  platform::File out;
  int32_t error = 0;
  if (CreateItemFile(file, &out, &error))
    return out;
  XLog::Error("UnZipFile", "TFileStream.Create: " + CreateErrorText(file, error), error, file);
  platform::Sleep(kCreateRetryMs);
  XFile::DeleteFile(file);
  if (CreateItemFile(file, &out, &error))
    return out;
  const std::string message = CreateErrorText(file, error);
  XLog::Error("UnZipFile", "TFileStream.Create 2: " + message, error, file);
  XLog::Flush();
  throw ExtractionError(message);
}

class Extraction {
 public:
  Extraction(std::string_view archive_path, std::string_view dest, const ArchiveProgress& progress)
      : archive_(archive_path), dest_(IncludeTrailingBackslash(dest)), progress_(progress) {}

  void Run(Format format) {
    const uint64_t total = TotalSize(archive_, format);
    Report(true, total);
    Reader reader = OpenReader(archive_, format);
    while (archive_entry* entry = NextEntry(reader.get())) {
      const std::string target = dest_ + SafeItemPath(entry, archive_);
      if (IsFolder(entry)) {
        XFile::ForceDirectories(target);
      } else {
        WriteItem(reader.get(), entry, target);
      }
    }
  }

 private:
  void Report(bool is_total, uint64_t value) {
    if (progress_ && !progress_(is_total, value))
      throw ExtractionError("Extraction aborted");
  }

  void WriteItem(archive* reader, archive_entry* entry, const std::string& file) {
    ForceItemFolder(file);
    platform::File out = CreateItem(file);
    const void* block = nullptr;
    size_t size = 0;
    la_int64_t offset = 0;
    int64_t position = 0;
    int rc;
    while ((rc = archive_read_data_block(reader, &block, &size, &offset)) == ARCHIVE_OK) {
      int32_t error = 0;
      if (offset != position && !out.Seek(offset, platform::File::kBegin, nullptr, &error)) {
        throw ExtractionError("Cannot seek in " + file + ": " +
                              platform::SystemErrorMessage(error));
      }
      if (size > 0 && !out.Write(block, size, &error)) {
        throw ExtractionError("Cannot write " + file + ": " + platform::SystemErrorMessage(error));
      }
      position = offset + static_cast<int64_t>(size);
      done_ += size;
      Report(false, done_);
    }
    if (rc != ARCHIVE_EOF)
      throw ExtractionError(ArchiveErrorText(reader));
    out.Close();
    if (archive_entry_mtime_is_set(entry))
      platform::SetLastWriteTime(file, EntryFileTime(entry));
  }

  std::string archive_;
  std::string dest_;
  const ArchiveProgress& progress_;
  uint64_t done_ = 0;
};

// The archive library's marker in the program folder; an update that could
// not replace the file leaves it as "7z.bak".
void RestoreArchiveLibraryMarker() {
  const std::string& program = GetFolders().program;
  if (program.empty())
    return;
  if (!platform::FileExists(program + "7z.dll") && platform::FileExists(program + "7z.bak")) {
    platform::CopyFile(program + "7z.bak", program + "7z.dll", false);
  }
}

bool ArchiveLiesIn(std::string_view archive_path, std::string_view dest) {
  return ToLowerAscii(ExtractFilePath(archive_path)) ==
         ToLowerAscii(IncludeTrailingBackslash(dest));
}

// Every file of the program folder with its digest, to tell a damaged
// installation from a damaged archive.
std::string ProgramFolderDigests() {
  const std::string& program = GetFolders().program;
  std::vector<platform::FindData> entries;
  platform::FindFiles(program + "*", &entries);
  std::string list;
  for (const platform::FindData& e : entries) {
    if (e.attributes & platform::file_attr::kDirectory)
      continue;
    const std::string path = program + e.name;
    Md5Digest digest{};
    list += " " + path + " " + (MD5File(path, &digest) ? MD5DigestToHex(digest) : std::string());
  }
  return list;
}

// The failure's text, or empty when the extraction succeeded.
std::string Extract(std::string_view archive_path,
                    std::string_view dest,
                    const ArchiveProgress& progress) {
  const Format format = FormatOf(archive_path);
  if (format == Format::kNone)
    return {};
  try {
    Extraction(archive_path, dest, progress).Run(format);
  } catch (const std::exception& e) {
    const std::string text = e.what();
    return text.empty() ? "Unknown error" : text;
  } catch (...) {
    return "Unknown error";
  }
  return {};
}

// Zip writing.

Writer OpenZipWriter(const std::string& archive_path, std::string* error) {
  Writer writer(archive_write_new());
  const std::string native = platform::NativePath(archive_path);
  if (!writer || native.empty()) {
    *error = "Cannot create the archive writer";
    return nullptr;
  }
  if (archive_write_set_format_zip(writer.get()) != ARCHIVE_OK ||
      archive_write_zip_set_compression_deflate(writer.get()) != ARCHIVE_OK ||
      archive_write_set_options(writer.get(), "zip:compression-level=5") != ARCHIVE_OK ||
      archive_write_open_filename(writer.get(), native.c_str()) != ARCHIVE_OK) {
    *error = ArchiveErrorText(writer.get());
    return nullptr;
  }
  return writer;
}

// One file under the given entry name. A file that cannot be read is
// skipped with a log line (a log file may be locked while it rotates);
// false only when the archive itself fails.
bool AddFile(archive* writer,
             const std::string& path,
             const std::string& name,
             std::string_view routine,
             std::string* error) {
  platform::File in;
  int32_t open_error = 0;
  if (!in.Open(
          path, platform::File::kRead,
          platform::File::kShareRead | platform::File::kShareWrite | platform::File::kShareDelete,
          platform::File::kOpenExisting, &open_error)) {
    XLog::Error(routine, "Cannot open file", open_error, path);
    return true;
  }
  Entry entry(archive_entry_new());
  archive_entry_set_pathname_utf8(entry.get(), name.c_str());
  archive_entry_set_filetype(entry.get(), AE_IFREG);
  archive_entry_set_perm(entry.get(), 0644);
  archive_entry_set_size(entry.get(), in.Size());
  uint64_t created = 0, written = 0;
  if (platform::GetFileTimes(path, &created, &written))
    SetEntryFileTime(entry.get(), written);
  if (archive_write_header(writer, entry.get()) != ARCHIVE_OK) {
    *error = ArchiveErrorText(writer);
    return false;
  }
  std::unique_ptr<char[]> buffer(new char[kCopyBlockBytes]);
  for (;;) {
    size_t got = 0;
    if (!in.Read(buffer.get(), kCopyBlockBytes, &got)) {
      *error = "Cannot read " + path;
      return false;
    }
    if (got == 0)
      return true;
    if (archive_write_data(writer, buffer.get(), got) < 0) {
      *error = ArchiveErrorText(writer);
      return false;
    }
  }
}

struct ZipItem {
  std::string path;
  std::string name;
};

// Writes the items to a new archive; a failed archive is removed.
bool WriteZip(const std::vector<ZipItem>& items,
              const std::string& archive_path,
              std::string_view routine) {
  std::string error;
  Writer writer = OpenZipWriter(archive_path, &error);
  bool ok = writer != nullptr;
  for (size_t i = 0; ok && i < items.size(); ++i) {
    ok = AddFile(writer.get(), items[i].path, items[i].name, routine, &error);
  }
  if (ok && archive_write_close(writer.get()) != ARCHIVE_OK) {
    error = ArchiveErrorText(writer.get());
    ok = false;
  }
  writer.reset();
  if (!ok) {
    XLog::Error(routine, "Cannot write archive: " + error, 0, archive_path);
    platform::DeleteFile(archive_path);
  }
  return ok;
}

bool DeleteOldArchive(const std::string& archive_path, std::string_view routine) {
  if (XFile::DeleteFile(archive_path))
    return true;
  XLog::Error(routine, "Cannot delete and rename file: " + archive_path, 0, "");
  return false;
}

void CollectFolder(const std::string& folder,
                   const std::string& prefix,
                   std::vector<ZipItem>* items) {
  std::vector<platform::FindData> entries;
  platform::FindFiles(folder + "*", &entries);
  for (const platform::FindData& e : entries) {
    if (e.name == "." || e.name == "..")
      continue;
    if (e.attributes & platform::file_attr::kDirectory) {
      CollectFolder(folder + e.name + "\\", prefix + e.name + "/", items);
    } else {
      items->push_back({folder + e.name, prefix + e.name});
    }
  }
}

}  // namespace

bool UnZipFile(std::string_view archive_path,
               std::string_view dest,
               const ArchiveProgress& progress,
               bool is_retry) {
  XLog::Log("UnZipFile", std::string(archive_path) + " to " + std::string(dest));
  platform::CreateDirectory(ExcludeTrailingBackslash(dest));
  RestoreArchiveLibraryMarker();
  const std::string failure = Extract(archive_path, dest, progress);
  if (failure.empty()) {
    platform::Sleep(kSettleMs);
    return true;
  }
  if (is_retry) {
    XLog::Error("UnZipFile", "Common error: " + failure + ", Files: " + ProgramFolderDigests(), 0,
                "");
    throw std::runtime_error(failure);
  }
  XLog::Log("UnZipFile", "Extraction failed: " + failure);
  // A partial extraction is removed, unless dest also holds the archive.
  if (!ArchiveLiesIn(archive_path, dest) && !XFile::DeleteFile(dest)) {
    int32_t error = 0;
    platform::RemoveDirectory(ExcludeTrailingBackslash(dest), &error);
    XLog::Error("UnZipFile", "DeleteFolder fail", error, dest);
  }
  return UnZipFile(archive_path, dest, progress, true);
}

bool ZipFile(const std::vector<std::string>& files, std::string_view archive_view) {
  const std::string archive_path(archive_view);
  std::vector<ZipItem> items;
  for (const std::string& file : files) {
    if (platform::FileExists(file))
      items.push_back({file, ExtractFileName(file)});
  }
  if (items.empty())
    return false;
  if (!DeleteOldArchive(archive_path, "ZipFile"))
    return false;
  return WriteZip(items, archive_path, "ZipFile");
}

bool ZipDirectory(std::string_view folder_view, std::string_view archive_view) {
  const std::string folder = IncludeTrailingBackslash(folder_view);
  const std::string archive_path(archive_view);
  if (!platform::DirectoryExists(folder))
    return false;
  if (!DeleteOldArchive(archive_path, "ZipDirectory"))
    return false;
  std::vector<ZipItem> items;
  CollectFolder(folder, ExtractFileName(ExcludeTrailingBackslash(folder)) + "/", &items);
  return WriteZip(items, archive_path, "ZipDirectory");
}

}  // namespace tav
