#include "core/shortcut_repair.h"

#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/locale_info.h"

namespace tav {

namespace {

bool ReadLines(const std::string& path, std::vector<std::string>* lines) {
  platform::File file;
  if (!file.Open(path, platform::File::kRead, platform::File::kShareRead, platform::File::kOpenExisting)) {
    return false;
  }
  std::string bytes;
  char buffer[4096];
  size_t got = 0;
  while (file.Read(buffer, sizeof buffer, &got) && got > 0) bytes.append(buffer, got);
  const std::string text = platform::AnsiToUtf8(bytes);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    lines->push_back(text.substr(start, end - start));
    start = end + ((end < text.size() && text[end] == '\r' && end + 1 < text.size() &&
                    text[end + 1] == '\n')
                       ? 2
                       : 1);
  }
  return true;
}

}  // namespace

void RepairHomePageShortcut(std::string_view program_folder, std::string_view program_path) {
  const std::string path = std::string(program_folder) + "HomePage.url";
  std::vector<std::string> lines;
  if (!platform::FileExists(path) || !ReadLines(path, &lines) || lines.size() > 2) return;
  lines.push_back("IconIndex=0");
  lines.push_back("IconFile=" + std::string(program_path));
  if (!platform::DeleteFile(path)) return;
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  const std::string bytes = platform::Utf8ToAnsi(text);
  platform::File file;
  if (file.Open(path, platform::File::kWrite, platform::File::kShareRead,
                platform::File::kCreateAlways)) {
    file.Write(bytes.data(), bytes.size());
  }
}

}  // namespace tav
