// The scan of a 400-device synthetic PC against a database of a million
// driver rows (tavrolin-dbtool synth: eight rows per device, a tenth of the
// devices outdated), with no minimum duration, next to the bare cost of the
// same lookups measured in the same run: one prepared statement per lookup
// kind, reused, inside one read transaction, an ID asked once per form and
// device as the scan asks it, every row stepped through and its columns read.
// The synthetic database is kept in the temporary folder between runs.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "bench/bench_machine.h"
#include "core/folders.h"
#include "core/ini_file.h"
#include "core/log_engine.h"
#include "core/text_utils.h"
#include "devices/device_list.h"
#include "devices/hardware_ids.h"
#include "matching/digit_swap.h"
#include "matching/driver_database.h"
#include "matching/driver_result.h"
#include "matching/id_list.h"
#include "platform/file_system.h"

namespace {

constexpr int kDevices = 400;
constexpr int kRows = 1000000;
int64_t g_lookups = 0;

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The rows of every ID of a list through one statement; the columns read as
// the scan reads them.
// An ID already asked for in the same form is not asked again, as in the scan.
int64_t Lookups(tav::SqliteStatement* stmt,
                const std::string& ids,
                bool full,
                std::set<std::string>* seen) {
  int64_t rows = 0;
  for (const std::string& id : tav::SplitIdList(ids)) {
    const std::string query = full ? tav::PrepareSqlText(id) : tav::ReduceHardwareId(id);
    if (query.empty() || (!full && query == tav::PrepareSqlText(id)))
      continue;
    if (!seen->insert(query).second)
      continue;
    ++g_lookups;
    stmt->Reset();
    stmt->Bind(1, tav::TransformHardwareId(query));
    stmt->Bind(2, int64_t{7});
    while (stmt->Step()) {
      for (const char* column :
           {"hardid_index_in_line", "date", "version", "vendor", "filename", "installer",
            "file_description", "device_description", "filehash"}) {
        rows += static_cast<int64_t>(stmt->Text(column).size() > 0);
      }
    }
  }
  return rows;
}

double BareLookups(const std::string& database, const tav::TMemIniFile& devices) {
  tav::SqliteDatabase db;
  if (!db.Open(database, true, nullptr))
    return 0;
  const double start = tav::bench::Seconds();
  db.BeginRead();
  tav::SqliteStatement* full = db.Prepare(tav::driver_sql::kLookupFullOs);
  tav::SqliteStatement* reduced = db.Prepare(tav::driver_sql::kLookupReducedOs);
  int64_t read = 0;
  for (const std::string& s : devices.ReadSections()) {
    int64_t n = 0;
    if (!tav::TryStrToInt(s, &n))
      continue;
    const std::string regular = devices.ReadString(s, "HardwareIDregular", "");
    const std::string compatible = devices.ReadString(s, "HardwareIDcompat", "");
    std::set<std::string> seen_full, seen_reduced;
    read +=
        Lookups(full, regular, true, &seen_full) + Lookups(reduced, regular, false, &seen_reduced);
    read += Lookups(full, compatible, true, &seen_full) +
            Lookups(reduced, compatible, false, &seen_reduced);
  }
  db.EndRead();
  const double seconds = tav::bench::Seconds() - start;
  std::printf("  bare lookups read %lld values in %lld lookups\n", static_cast<long long>(read),
              static_cast<long long>(g_lookups));
  return seconds;
}

}  // namespace

int main() {
  namespace fs = std::filesystem;
  const fs::path synth = fs::temp_directory_path() / "tavrolin-bench-synth-400x1000000-v2";
  if (!fs::exists(synth / "Drivers64.db")) {
    std::printf("making a database of %d rows for %d devices...\n", kRows, kDevices);
    const std::string command = tav::bench::ToolPath("tavrolin-dbtool") + " synth --devices " +
                                std::to_string(kDevices) + " --rows " + std::to_string(kRows) +
                                " --out " + synth.string();
    if (std::system(command.c_str()) != 0)
      return 1;
  }
  tav::bench::BenchMachine machine(ReadText((synth / "profile.json").string()));
  if (!machine.ok())
    return 1;
  const std::string database = tav::DefaultDatabasePath();
  fs::copy_file(synth / "Drivers64.db", tav::platform::NativePath(database),
                fs::copy_options::overwrite_existing);
  tav::GenerateDevicesList("Devices.ini", [] { tav::CreateBaseIndexes(); });
  const tav::TMemIniFile devices(tav::GetFolders().core_work + "Devices.ini");
  // Warm the page cache once, so both measurements read from memory.
  BareLookups(database, devices);
  g_lookups = 0;
  const double bare = BareLookups(database, devices);
  int found = 0;
  const double start = tav::bench::Seconds();
  tav::GenerateDriverResult(0, tav::ScanPaths(), "",
                            [&](int code, const std::string&, bool*, int, int f, int) {
                              if (code == tav::kScanEnded)
                                found = f;
                            });
  const double scan = tav::bench::Seconds() - start;
  tav::XLog::Stop();
  std::printf("scan of %d devices against %d rows: %.3f s (%d outdated)\n", kDevices, kRows, scan,
              found);
  std::printf("bare lookups of the same IDs:          %.3f s (%.1f us a lookup)\n", bare,
              g_lookups > 0 ? bare * 1e6 / static_cast<double>(g_lookups) : 0.0);
  std::printf("ratio %.2f (goal <= 1.5)\n", scan / bare);
  return 0;
}
