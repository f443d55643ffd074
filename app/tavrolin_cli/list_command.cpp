// tavrolin-cli list [--history]: the driver packages of the last scan (or of
// the download history) as the user sees them. The result list puts each new
// row above the earlier ones, so the rows are printed in reverse list order:
// the lowest sort weight first, the highest at the bottom.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/tavrolin_cli/cli_session.h"
#include "app/tavrolin_cli/commands.h"
#include "core/folders.h"
#include "core/format_settings.h"
#include "core/text_utils.h"
#include "drivers/process_driver_lists.h"

namespace tav::cli {

namespace {

using Row = std::vector<std::string>;

const char* StateText(TPackageState state) {
  switch (state) {
    case psNone:
      return "New";
    case psDownloaded:
      return "Downloaded";
    case psPending:
      return "Pending";
    case psInstalled:
      return "Installed";
    case psCheckAfterRestart:
      return "Check after restart";
  }
  return "?";
}

std::string StateColumn(TDriverPackageEntry& package) {
  std::string text = StateText(package.State);
  if (!package.Present)
    text += ", not present";
  if (!package.HasConnectedDevice())
    text += ", disconnected";
  return text;
}

// The row caption of the result list.
std::string Caption(TDriverPackageEntry& package) {
  return package.GetName() + (package.IsAllUnfiltered() ? " (UNFILTERED)" : "");
}

Row PackageRow(TDriverPackageEntry& package, bool history) {
  Row row = {std::to_string(package.GetSortWeight()),
             Caption(package),
             std::to_string(package.Devices.size()),
             package.Vendor,
             package.Date,
             package.Version,
             StateColumn(package)};
  if (history)
    row.push_back(DateToStr(package.DownloadedDate, UserFormatSettings()));
  return row;
}

std::vector<size_t> ColumnWidths(const std::vector<Row>& rows) {
  std::vector<size_t> widths(rows[0].size(), 0);
  for (const Row& row : rows) {
    for (size_t i = 0; i < row.size(); ++i)
      widths[i] = std::max(widths[i], row[i].size());
  }
  return widths;
}

void PrintRow(const Row& row, const std::vector<size_t>& widths) {
  std::string line;
  for (size_t i = 0; i < row.size(); ++i) {
    line += row[i] + std::string(widths[i] - row[i].size() + 2, ' ');
  }
  std::printf("%s\n", TrimRight(line).c_str());
}

void PrintDevices(const TDriverPackageEntry& package) {
  for (const auto& device : package.Devices) {
    const std::string name = device->DeviceName.empty() ? "(no name)" : device->DeviceName;
    std::printf("        - %s  [%s, installed %s, %s]\n", name.c_str(), device->Class.c_str(),
                device->Version.c_str(), device->Date.c_str());
  }
}

void PrintList(TDriversList& list, bool history) {
  std::vector<Row> rows = {{"Weight", "Package", "Devices", "Vendor", "Date", "Version", "State"}};
  if (history)
    rows[0].push_back("Downloaded");
  // On screen the last package of the list is the top row.
  std::vector<TDriverPackageEntry*> on_screen;
  for (size_t i = list.Count(); i-- > 0;)
    on_screen.push_back(&list[i]);
  for (TDriverPackageEntry* package : on_screen)
    rows.push_back(PackageRow(*package, history));
  const std::vector<size_t> widths = ColumnWidths(rows);
  PrintRow(rows[0], widths);
  for (size_t i = 0; i < on_screen.size(); ++i) {
    PrintRow(rows[i + 1], widths);
    PrintDevices(*on_screen[i]);
  }
}

}  // namespace

int RunListCommand(const Arguments& args) {
  const bool history = args.size() == 1 && args[0] == "--history";
  if (!args.empty() && !history) {
    std::fprintf(stderr, "usage: tavrolin-cli list [--history]\n");
    return 2;
  }
  CliSession session;
  const std::string& folder = GetFolders().core_work;
  TDriversList& list =
      history ? GetDriverHistoryList(true, folder) : GetDriverResultList(true, folder);
  const char* what = history ? "Download history" : "Result list";
  if (list.Count() == 0) {
    std::printf("%s: no driver packages.\n", what);
    return 0;
  }
  std::printf(
      "%s: %zu driver package(s), top to bottom as on screen (each new row goes above the "
      "earlier ones, so the highest sort weight is at the bottom).\n",
      what, list.Count());
  PrintList(list, history);
  return 0;
}

}  // namespace tav::cli
