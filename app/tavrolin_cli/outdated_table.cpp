#include "app/tavrolin_cli/outdated_table.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "core/folders.h"
#include "core/ini_file.h"
#include "core/text_utils.h"

namespace tav::cli {

namespace {

std::string Cut(const std::string& text, size_t width) {
  return text.size() <= width ? text : text.substr(0, width - 1) + "~";
}

}  // namespace

void PrintOutdatedDrivers() {
  const TMemIniFile scan(GetFolders().core_work + "Scan.ini");
  std::vector<std::vector<std::string>> rows = {
      {"Device", "Installed", "Date", "New", "Date", "Vendor", "Package"}};
  for (const std::string& s : scan.ReadSections()) {
    int64_t n = 0;
    if (!TryStrToInt(s, &n)) continue;
    auto v = [&](const char* key) { return scan.ReadString(s, key, ""); };
    rows.push_back({Cut(v("DeviceName"), 44), v("Version1"), v("Date1"), v("Version2"), v("Date2"),
                    v("Vendor"), v("FName") + (scan.ReadBool(s, "IsPending", false) ? " (pending)" : "")});
  }
  if (rows.size() == 1) {
    std::printf("No outdated drivers.\n");
    return;
  }
  std::vector<size_t> widths(rows[0].size(), 0);
  for (const auto& row : rows) {
    for (size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], row[i].size());
  }
  for (const auto& row : rows) {
    std::string line;
    for (size_t i = 0; i < row.size(); ++i) {
      line += row[i] + std::string(widths[i] - row[i].size() + 2, ' ');
    }
    std::printf("%s\n", TrimRight(line).c_str());
  }
}

}  // namespace tav::cli
