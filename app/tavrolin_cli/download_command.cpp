// tavrolin-cli download [--all | KEY...]: downloads driver packages of the
// result list (all of them, or those named by package key or file name) from
// the service, as many at a time as the setting nDownloads allows, with one
// live line per package. Ctrl-C lets go of every row: the transfers stop,
// their ".downloading" files stay and the next run resumes them.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/tavrolin_cli/cli_download_row.h"
#include "app/tavrolin_cli/cli_session.h"
#include "app/tavrolin_cli/commands.h"
#include "app/tavrolin_cli/download_board.h"
#include "core/folders.h"
#include "core/main_thread.h"
#include "drivers/download_slots.h"
#include "drivers/download_thread.h"
#include "drivers/process_driver_lists.h"

namespace tav::cli {

namespace {

constexpr const char* kUsage = "usage: tavrolin-cli download [--all | KEY...]\n";

struct Choice {
  bool all = false;
  std::vector<std::string> keys;
};

bool ParseChoice(const Arguments& args, Choice* choice) {
  for (const std::string& arg : args) {
    if (arg == "--all") {
      choice->all = true;
    } else if (!arg.empty() && arg[0] != '-') {
      choice->keys.push_back(arg);
    } else {
      return false;
    }
  }
  return choice->all != !choice->keys.empty();
}

TDriverPackageEntry* FindPackage(const TDriversList& list, const std::string& name) {
  for (const auto& package : list) {
    if (package->Key == name || package->FileName == name)
      return package.get();
  }
  return nullptr;
}

// The packages in list order, or in the order named; false when a name is
// not in the list.
bool ChoosePackages(const TDriversList& list,
                    const Choice& choice,
                    std::vector<TDriverPackageEntry*>* chosen) {
  if (choice.all) {
    for (const auto& package : list)
      chosen->push_back(package.get());
    return true;
  }
  bool found_all = true;
  for (const std::string& key : choice.keys) {
    TDriverPackageEntry* package = FindPackage(list, key);
    if (!package) {
      std::fprintf(stderr, "tavrolin-cli: no driver package \"%s\" in the result list\n",
                   key.c_str());
      found_all = false;
    } else if (std::find(chosen->begin(), chosen->end(), package) == chosen->end()) {
      chosen->push_back(package);
    }
  }
  return found_all;
}

struct Counts {
  size_t downloaded = 0, failed = 0, not_downloaded = 0, running = 0;
};

Counts CountOutcomes(const std::vector<std::unique_ptr<CliDownloadRow>>& rows) {
  Counts counts;
  for (const auto& row : rows) {
    switch (row->outcome()) {
      case RowOutcome::kDownloaded:
        ++counts.downloaded;
        break;
      case RowOutcome::kFailed:
        ++counts.failed;
        break;
      case RowOutcome::kNotDownloaded:
        ++counts.not_downloaded;
        break;
      case RowOutcome::kWaiting:
        ++counts.running;
        break;
    }
  }
  return counts;
}

std::string SummaryLine(const Counts& counts, size_t total) {
  return "Downloaded " + std::to_string(counts.downloaded) + " of " + std::to_string(total) +
         " package(s); failed: " + std::to_string(counts.failed) +
         "; not downloaded: " + std::to_string(counts.not_downloaded) +
         "; in progress: " + std::to_string(counts.running);
}

std::vector<std::string> Labels(const std::vector<TDriverPackageEntry*>& packages) {
  std::vector<std::string> labels;
  for (TDriverPackageEntry* package : packages)
    labels.push_back(package->Key);
  return labels;
}

// Serves the rows until every download thread has ended; the first Ctrl-C
// lets go of every row.
bool RunDownloads(const std::vector<std::unique_ptr<CliDownloadRow>>& rows) {
  bool interrupted = false;
  MainThread::RunLoop([&] {
    if (CliSession::Interrupted() && !interrupted) {
      interrupted = true;
      std::fprintf(stderr, "Cancelling: waiting for the transfers to stop...\n");
      for (const auto& row : rows)
        row->Leave();
    }
    return DownloadThreadCount() == 0;
  });
  return interrupted;
}

// On a terminal the board's last line already shows the counts.
int Report(const Counts& counts,
           size_t total,
           bool interrupted,
           bool terminal,
           const CliSession& session) {
  if (!terminal)
    std::printf("%s.\n", SummaryLine(counts, total).c_str());
  if (counts.failed > 0)
    std::printf("Some downloads failed. See the log: %s\n", session.LogPath().c_str());
  if (interrupted) {
    std::printf("Cancelled: the partial downloads stay and the next download resumes them.\n");
    return 130;
  }
  return counts.downloaded == total ? 0 : 1;
}

}  // namespace

int RunDownloadCommand(const Arguments& args) {
  Choice choice;
  if (!ParseChoice(args, &choice)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  CliSession session;
  const TDriversList& list = GetDriverResultList(true, GetFolders().core_work);
  std::vector<TDriverPackageEntry*> chosen;
  if (!ChoosePackages(list, choice, &chosen))
    return 1;
  if (chosen.empty()) {
    std::printf("Result list: no driver packages to download.\n");
    return 0;
  }
  DownloadSlots::LoadLimit();
  std::printf("Downloading %zu driver package(s), %d at a time, into %s (Ctrl-C cancels).\n",
              chosen.size(), DownloadSlots::Limit(), GetFolders().download.c_str());
  const bool terminal = isatty(STDOUT_FILENO) != 0;
  DownloadBoard board(Labels(chosen), terminal);
  std::vector<std::unique_ptr<CliDownloadRow>> rows;
  const auto summary = [&] { board.UpdateSummary(SummaryLine(CountOutcomes(rows), rows.size())); };
  for (size_t i = 0; i < chosen.size(); ++i)
    rows.push_back(std::make_unique<CliDownloadRow>(*chosen[i], board, i, summary));
  summary();
  board.Begin();
  for (const auto& row : rows)
    row->Start();
  summary();
  const bool interrupted = RunDownloads(rows);
  return Report(CountOutcomes(rows), rows.size(), interrupted, terminal, session);
}

}  // namespace tav::cli
