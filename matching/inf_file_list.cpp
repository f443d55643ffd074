#include "matching/inf_file_list.h"

#include <algorithm>

#include "core/text_utils.h"
#include "matching/inf_dirids.h"
#include "matching/inf_file.h"
#include "platform/file_system.h"
#include "platform/shell_folders.h"

namespace tav {

namespace {

// ExpandEnvironmentStrings into a buffer of this many characters.
constexpr size_t kExpandBuffer = 260;

bool IsBlank(char c) {
  return c > 0 && c <= ' ';
}

void AddOnce(std::vector<std::string>* files, std::string path) {
  if (std::find(files->begin(), files->end(), path) == files->end())
    files->push_back(std::move(path));
}

std::string ExpandPath(const std::string& path) {
  if (path.find('%') == std::string::npos)
    return path;
  const std::string expanded = platform::ExpandEnvironmentStrings(path);
  return expanded.size() + 1 > kExpandBuffer ? path : expanded;
}

// The folder of a copy-section entry: its DestinationDirs value, else the
// default; "dirid[,subdir]".
std::string EntryFolder(const InfFile& inf, const std::string& entry) {
  std::string destination = inf.ReadIniValue("DestinationDirs", entry);
  if (destination.empty())
    destination = inf.ReadIniValue("DestinationDirs", "DefaultDestDir");
  if (destination.empty())
    return {};
  const size_t comma = destination.find(',');
  const std::string dirid =
      comma == std::string::npos ? destination : Trim(destination.substr(0, comma));
  const std::string subdir =
      comma == std::string::npos ? std::string() : Trim(destination.substr(comma + 1));
  std::string folder = ResolveDirId(dirid);
  if (!folder.empty() && !subdir.empty())
    folder += subdir + "\\";
  return folder;
}

void AddCopyFiles(const InfFile& inf, std::string_view section, InfFileList* result) {
  const std::string copy_files = inf.ReadIniValue(section, "CopyFiles");
  if (copy_files.empty() || !inf.IniSectionExists("DestinationDirs"))
    return;
  for (const std::string& entry : SplitInfList(copy_files)) {
    const std::string folder = EntryFolder(inf, entry);
    if (folder.empty())
      continue;
    for (const std::string& name : CopySectionFileNames(inf.TextLines(), entry)) {
      AddOnce(&result->files, ExpandPath(folder + name));
    }
  }
}

void Analyze(const std::string& inf_path, std::string_view section, InfFileList* result);

void FollowIncludes(const InfFile& inf, std::string_view section, InfFileList* result) {
  const std::vector<std::string> includes = SplitInfList(inf.ReadIniValue(section, "Include"));
  const std::vector<std::string> needs = SplitInfList(inf.ReadIniValue(section, "Needs"));
  if (includes.empty() || needs.empty())
    return;
  for (const std::string& include : includes) {
    const std::string path = LocateInf(include);
    for (const std::string& need : needs)
      Analyze(path, need, result);
  }
}

void Analyze(const std::string& inf_path, std::string_view section, InfFileList* result) {
  if (result->first_inf_path.empty())
    result->first_inf_path = inf_path;
  InfFile inf;
  if (!inf_path.empty() && platform::FileExists(inf_path))
    InfFile::Load(inf_path, &inf, true);
  if (!inf.IniSectionExists(section))
    return;
  AddCopyFiles(inf, section, result);
  FollowIncludes(inf, section, result);
}

// The destination name of a copy-section line, or empty for none.
std::string CopyLineFileName(const std::string& line) {
  if (StartsWith(line, ";"))
    return {};
  std::string name = line;
  const size_t comma = line.find(',');
  const size_t semicolon = line.find(';');
  if (comma != std::string::npos) {
    name = line.substr(0, comma);
  } else if (semicolon != std::string::npos && semicolon >= 2) {
    name = line.substr(0, semicolon);
  }
  return Trim(name);
}

}  // namespace

std::string LocateInf(std::string_view inf_name) {
  if (inf_name.find('\\') != std::string_view::npos)
    return std::string(inf_name);
  const std::string windows = InfWindowsFolder();
  for (const char* folder : {"inf\\", "system32\\"}) {
    const std::string path = windows + folder + std::string(inf_name);
    if (platform::FileExists(path))
      return path;
  }
  return {};
}

std::vector<std::string> CopySectionFileNames(const std::vector<std::string>& text_lines,
                                              std::string_view section) {
  std::vector<std::string> names;
  const std::string header = "[" + std::string(section) + "]";
  const auto start = std::find(text_lines.begin(), text_lines.end(), header);
  if (start == text_lines.end())
    return names;
  for (auto it = start + 1; it != text_lines.end(); ++it) {
    const std::string line = Trim(*it);
    if (line.find('[') != std::string::npos)
      break;
    std::string name = CopyLineFileName(line);
    if (!name.empty())
      names.push_back(std::move(name));
  }
  return names;
}

std::vector<std::string> SplitInfList(std::string_view list) {
  std::vector<std::string> entries;
  size_t i = 0;
  auto skip_blanks = [&] {
    while (i < list.size() && IsBlank(list[i]))
      ++i;
  };
  skip_blanks();
  while (i < list.size()) {
    std::string entry;
    if (list[i] == '"') {
      for (++i; i < list.size(); ++i) {
        if (list[i] != '"') {
          entry += list[i];
        } else if (i + 1 < list.size() && list[i + 1] == '"') {
          entry += '"';
          ++i;
        } else {
          ++i;
          break;
        }
      }
    } else {
      const size_t start = i;
      while (i < list.size() && !IsBlank(list[i]) && list[i] != ',')
        ++i;
      entry = list.substr(start, i - start);
    }
    if (!entry.empty())
      entries.push_back(std::move(entry));
    skip_blanks();
    if (i < list.size() && list[i] == ',') {
      ++i;
      skip_blanks();
    }
  }
  return entries;
}

InfFileList ListInfFiles(std::string_view inf_name, std::string_view section) {
  InfFileList result;
  if (inf_name.empty() || section.empty())
    return result;
  Analyze(LocateInf(inf_name), section, &result);
  return result;
}

}  // namespace tav
