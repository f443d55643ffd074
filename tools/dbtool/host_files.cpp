#include "tools/dbtool/host_files.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace tav::dbtool {

bool ReadHostFile(const std::string& path, std::string* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return false;
  std::ostringstream text;
  text << in.rdbuf();
  *bytes = text.str();
  return !in.bad();
}

bool WriteHostFile(const std::string& path, const std::string& bytes) {
  std::error_code ec;
  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  if (!parent.empty())
    std::filesystem::create_directories(parent, ec);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  out.close();
  return static_cast<bool>(out);
}

}  // namespace tav::dbtool
