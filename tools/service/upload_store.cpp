#include "tools/service/upload_store.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace tav::service {

namespace fs = std::filesystem;

namespace {

// The last part of a client's file name with anything unusual replaced, so a
// name can never leave the uploads folder.
std::string SafeName(const std::string& name) {
  std::string base = name.substr(name.find_last_of("/\\") + 1);
  for (char& c : base) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '.' || c == '_' || c == '-';
    if (!plain)
      c = '_';
  }
  if (base.empty() || base == "." || base == "..")
    base = "unnamed";
  return base;
}

}  // namespace

bool UploadStore::Open(const std::string& root, std::string* error) {
  std::error_code ec;
  fs::create_directories(root, ec);
  if (ec) {
    *error = "cannot create the uploads folder " + root + ": " + ec.message();
    return false;
  }
  root_ = root;
  return true;
}

std::string UploadStore::StoreFile(const std::string& kind,
                                   const std::string& part,
                                   const std::string& filename,
                                   const std::string& content) {
  const fs::path folder = fs::path(root_) / kind;
  std::error_code ec;
  fs::create_directories(folder, ec);
  char number[16];
  std::snprintf(number, sizeof number, "%04d", ++counter_);
  const fs::path path =
      folder / (std::string(number) + "-" + SafeName(part) + "-" + SafeName(filename));
  std::ofstream out(path, std::ios::binary);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  return out ? path.string() : std::string();
}

bool UploadStore::RecordInstall(const std::string& partner, const std::string& build) {
  std::lock_guard<std::mutex> lock(installs_mutex_);
  std::ofstream out(fs::path(root_) / "installs.log", std::ios::app);
  out << "partner=" << partner << "\tbuild=" << build << "\n";
  return static_cast<bool>(out);
}

}  // namespace tav::service
