#include "tools/vpc/host_file.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/file_system.h"

namespace tav::vpc_tool {

std::string HostPathOf(std::string_view argument, FileSide side) {
  if (side == FileSide::kHost)
    return std::string(argument);
  return platform::NativePath(argument);
}

bool HostFileExists(const std::string& host_path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(host_path, ec);
}

bool ReadHostFile(const std::string& host_path, std::string* bytes) {
  std::ifstream in(host_path, std::ios::binary);
  if (!in)
    return false;
  std::stringstream content;
  content << in.rdbuf();
  *bytes = content.str();
  return !in.bad();
}

bool WriteHostFile(const std::string& host_path, std::string_view bytes) {
  std::ofstream out(host_path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

}  // namespace tav::vpc_tool
