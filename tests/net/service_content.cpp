#include "tests/net/service_content.h"

#include <archive.h>
#include <archive_entry.h>
#include <openssl/evp.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace tav::testing {

namespace fs = std::filesystem;

namespace {

std::string MakeDatabase(const std::string& path, const std::string& date) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  const std::string sql =
      "CREATE TABLE settings(name TEXT, value TEXT);"
      "INSERT INTO settings VALUES('date', ' " +
      date + " ');";
  sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
  sqlite3_close(db);
  return ServiceContent::ReadHostFile(path);
}

void Write7z(const std::string& archive_path, const std::string& item, const std::string& bytes) {
  archive* a = archive_write_new();
  archive_write_set_format_7zip(a);
  archive_write_open_filename(a, archive_path.c_str());
  archive_entry* entry = archive_entry_new();
  archive_entry_set_pathname(entry, item.c_str());
  archive_entry_set_size(entry, static_cast<la_int64_t>(bytes.size()));
  archive_entry_set_filetype(entry, AE_IFREG);
  archive_entry_set_perm(entry, 0644);
  archive_write_header(a, entry);
  archive_write_data(a, bytes.data(), bytes.size());
  archive_entry_free(entry);
  archive_write_close(a);
  archive_write_free(a);
}

}  // namespace

std::string ServiceContent::Bytes(size_t size, uint32_t seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes)
    c = static_cast<char>(random() & 0xFF);
  return bytes;
}

std::string ServiceContent::ReadHostFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string ServiceContent::AddFile(const std::string& relative, const std::string& bytes) const {
  const fs::path path = fs::path(root()) / relative;
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
  return path.string();
}

std::string ServiceContent::AddPackage(const std::string& name, size_t size, uint32_t seed) const {
  const std::string bytes = Bytes(size, seed);
  AddFile("downloads/" + name, bytes);
  return bytes;
}

std::string ServiceContent::AddDatabase(const std::string& arch,
                                        const std::string& os,
                                        const std::string& date) const {
  const fs::path folder = fs::path(root()) / "databases" / arch / os;
  fs::create_directories(folder);
  const std::string database = (folder / "Drivers.db.tmp").string();
  const std::string bytes = MakeDatabase(database, date);
  fs::remove(database);
  const std::string archive_path = (folder / "Drivers.7z").string();
  fs::remove(archive_path);
  Write7z(archive_path, "Drivers.db", bytes);
  return archive_path;
}

::testing::AssertionResult SameBytes(const std::string& got, const std::string& want) {
  if (got == want)
    return ::testing::AssertionSuccess();
  size_t first = 0;
  while (first < got.size() && first < want.size() && got[first] == want[first])
    ++first;
  return ::testing::AssertionFailure() << got.size() << " bytes where " << want.size()
                                       << " were expected, first difference at " << first;
}

std::string Md5Hex(const std::string& bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  EVP_Digest(bytes.data(), bytes.size(), digest, &size, EVP_md5(), nullptr);
  static const char kHex[] = "0123456789abcdef";
  std::string text;
  for (unsigned int i = 0; i < size; ++i) {
    text += kHex[digest[i] >> 4];
    text += kHex[digest[i] & 15];
  }
  return text;
}

}  // namespace tav::testing
