#include "tools/dbtool/package_archive.h"

#include <archive.h>
#include <archive_entry.h>

#include <memory>

namespace tav::dbtool {

namespace {

// 2015-01-01 00:00:00 UTC: every item of a written archive carries it.
constexpr time_t kItemTime = 1420070400;

struct ReadFree {
  void operator()(archive* a) const { archive_read_free(a); }
};
struct WriteFree {
  void operator()(archive* a) const { archive_write_free(a); }
};
struct EntryFree {
  void operator()(archive_entry* e) const { archive_entry_free(e); }
};

std::string ErrorText(archive* a) {
  const char* text = archive_error_string(a);
  return text ? text : "unknown archive error";
}

bool ReadItem(archive* a, std::string* bytes, std::string* error) {
  char buffer[65536];
  for (;;) {
    const la_ssize_t got = archive_read_data(a, buffer, sizeof buffer);
    if (got < 0) {
      *error = ErrorText(a);
      return false;
    }
    if (got == 0)
      return true;
    bytes->append(buffer, static_cast<size_t>(got));
  }
}

}  // namespace

bool ReadArchive(const std::string& host_path,
                 std::vector<ArchiveItem>* items,
                 std::string* error) {
  std::unique_ptr<archive, ReadFree> a(archive_read_new());
  archive_read_support_format_zip(a.get());
  archive_read_support_format_7zip(a.get());
  archive_read_support_filter_all(a.get());
  if (archive_read_open_filename(a.get(), host_path.c_str(), 65536) != ARCHIVE_OK) {
    *error = ErrorText(a.get());
    return false;
  }
  archive_entry* entry = nullptr;
  for (;;) {
    const int rc = archive_read_next_header(a.get(), &entry);
    if (rc == ARCHIVE_EOF)
      return true;
    if (rc != ARCHIVE_OK && rc != ARCHIVE_WARN) {
      *error = ErrorText(a.get());
      return false;
    }
    if (archive_entry_filetype(entry) != AE_IFREG)
      continue;
    const char* name = archive_entry_pathname_utf8(entry);
    if (!name)
      name = archive_entry_pathname(entry);
    ArchiveItem item;
    item.path = name ? name : "";
    for (char& c : item.path) {
      if (c == '\\')
        c = '/';
    }
    if (!ReadItem(a.get(), &item.bytes, error))
      return false;
    items->push_back(std::move(item));
  }
}

bool WriteArchive(const std::string& host_path,
                  ArchiveFormat format,
                  const std::vector<ArchiveItem>& items,
                  std::string* error) {
  std::unique_ptr<archive, WriteFree> a(archive_write_new());
  if (format == ArchiveFormat::kZip) {
    archive_write_set_format_zip(a.get());
    archive_write_set_options(a.get(), "zip:compression=deflate");
  } else {
    archive_write_set_format_7zip(a.get());
  }
  if (archive_write_open_filename(a.get(), host_path.c_str()) != ARCHIVE_OK) {
    *error = ErrorText(a.get());
    return false;
  }
  for (const ArchiveItem& item : items) {
    std::unique_ptr<archive_entry, EntryFree> entry(archive_entry_new());
    archive_entry_set_pathname_utf8(entry.get(), item.path.c_str());
    archive_entry_set_filetype(entry.get(), AE_IFREG);
    archive_entry_set_perm(entry.get(), 0644);
    archive_entry_set_size(entry.get(), static_cast<la_int64_t>(item.bytes.size()));
    archive_entry_set_mtime(entry.get(), kItemTime, 0);
    if (archive_write_header(a.get(), entry.get()) != ARCHIVE_OK ||
        archive_write_data(a.get(), item.bytes.data(), item.bytes.size()) < 0) {
      *error = ErrorText(a.get());
      return false;
    }
  }
  if (archive_write_close(a.get()) != ARCHIVE_OK) {
    *error = ErrorText(a.get());
    return false;
  }
  return true;
}

}  // namespace tav::dbtool
