#include "tools/service/database_date.h"

#include <archive.h>
#include <archive_entry.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <vector>

namespace tav::service {

namespace {

constexpr const char* kDatabaseItem = "Drivers.db";

// A temporary file removed when it goes out of scope.
class TempFile {
 public:
  TempFile() {
    char pattern[] = "/tmp/tavrolin-service-db-XXXXXX";
    const int fd = mkstemp(pattern);
    if (fd >= 0) {
      close(fd);
      path_ = pattern;
    }
  }
  ~TempFile() {
    if (!path_.empty())
      unlink(path_.c_str());
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

bool CopyEntryData(archive* a, const std::string& to, std::string* error) {
  std::ofstream out(to, std::ios::binary | std::ios::trunc);
  std::vector<char> buffer(1 << 16);
  la_ssize_t got = 0;
  while ((got = archive_read_data(a, buffer.data(), buffer.size())) > 0) {
    out.write(buffer.data(), got);
  }
  if (got < 0 || !out) {
    *error = std::string("cannot unpack ") + kDatabaseItem + ": " + archive_error_string(a);
    return false;
  }
  return true;
}

bool ExtractDatabase(const std::string& archive_path, const std::string& to, std::string* error) {
  std::unique_ptr<archive, int (*)(archive*)> a(archive_read_new(), &archive_read_free);
  archive_read_support_format_7zip(a.get());
  if (archive_read_open_filename(a.get(), archive_path.c_str(), 1 << 16) != ARCHIVE_OK) {
    *error = "cannot open " + archive_path + ": " + archive_error_string(a.get());
    return false;
  }
  archive_entry* entry = nullptr;
  while (archive_read_next_header(a.get(), &entry) == ARCHIVE_OK) {
    const char* name = archive_entry_pathname(entry);
    if (name && std::strcmp(name, kDatabaseItem) == 0)
      return CopyEntryData(a.get(), to, error);
    archive_read_data_skip(a.get());
  }
  *error = archive_path + " holds no " + kDatabaseItem;
  return false;
}

std::string QueryDate(const std::string& database, std::string* error) {
  sqlite3* db = nullptr;
  std::string date;
  if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT value FROM settings WHERE name='date'", -1, &statement,
                           nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW) {
      const unsigned char* text = sqlite3_column_text(statement, 0);
      if (text)
        date = reinterpret_cast<const char*>(text);
    }
    sqlite3_finalize(statement);
  }
  if (date.empty())
    *error = std::string("no date in the database: ") + sqlite3_errmsg(db);
  sqlite3_close(db);
  const size_t first = date.find_first_not_of(" \t\r\n");
  const size_t last = date.find_last_not_of(" \t\r\n");
  return first == std::string::npos ? std::string() : date.substr(first, last - first + 1);
}

}  // namespace

std::string ReadArchivedDatabaseDate(const std::string& archive_path, std::string* error) {
  TempFile unpacked;
  if (unpacked.path().empty()) {
    *error = "cannot make a temporary file";
    return {};
  }
  if (!ExtractDatabase(archive_path, unpacked.path(), error))
    return {};
  return QueryDate(unpacked.path(), error);
}

}  // namespace tav::service
