#include "tools/service/content_catalogue.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "tools/service/database_date.h"
#include "tools/service/file_md5.h"

namespace tav::service {

namespace fs = std::filesystem;

namespace {

bool IsDigits(const std::string& text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A plain file name or a path of plain names: no "..", no empty parts.
bool IsSafeRelative(const std::string& name) {
  if (name.empty() || name.front() == '/' || name.find('\\') != std::string::npos)
    return false;
  for (const fs::path& part : fs::path(name)) {
    if (part.empty() || part == "." || part == "..")
      return false;
  }
  return true;
}

bool StatFile(const std::string& path, uint64_t* size, int64_t* mtime_ns) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
    return false;
  *size = static_cast<uint64_t>(st.st_size);
  *mtime_ns = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return true;
}

}  // namespace

std::optional<DatabaseFacts> ContentCatalogue::Facts(const std::string& arch,
                                                     const std::string& os) {
  const std::string url_path = "/databases/" + arch + "/" + os + "/Drivers.7z";
  const std::string file = root_ + url_path;
  uint64_t size = 0;
  int64_t mtime_ns = 0;
  if (!StatFile(file, &size, &mtime_ns))
    return std::nullopt;
  std::lock_guard<std::mutex> lock(mutex_);
  Cached& cached = cache_[file];
  if (cached.facts.file.empty() || cached.size != size || cached.mtime_ns != mtime_ns) {
    std::string error;
    cached.size = size;
    cached.mtime_ns = mtime_ns;
    cached.facts = {
        arch, os, file, url_path, ReadArchivedDatabaseDate(file, &error), FileMd5Hex(file)};
  }
  return cached.facts;
}

std::optional<DatabaseFacts> ContentCatalogue::Database(const std::string& arch,
                                                        const std::string& os) {
  if ((arch != "32" && arch != "64") || !IsDigits(os))
    return std::nullopt;
  return Facts(arch, os);
}

std::string ContentCatalogue::NewestDatabaseDate() {
  std::string newest;
  std::error_code ec;
  for (const std::string arch : {"32", "64"}) {
    const fs::path folder = fs::path(root_) / "databases" / arch;
    for (const fs::directory_entry& os : fs::directory_iterator(folder, ec)) {
      const std::string code = os.path().filename().string();
      if (!IsDigits(code))
        continue;
      const std::optional<DatabaseFacts> facts = Facts(arch, code);
      if (facts && facts->date > newest)
        newest = facts->date;
    }
  }
  return newest;
}

std::string ContentCatalogue::FileForPath(const std::string& request_path) const {
  for (const std::string prefix : {"/downloads/", "/databases/"}) {
    if (request_path.compare(0, prefix.size(), prefix) != 0)
      continue;
    const std::string name = request_path.substr(prefix.size());
    if (!IsSafeRelative(name))
      return {};
    const std::string file = root_ + prefix + name;
    uint64_t size = 0;
    int64_t mtime_ns = 0;
    return StatFile(file, &size, &mtime_ns) ? file : std::string();
  }
  return {};
}

}  // namespace tav::service
