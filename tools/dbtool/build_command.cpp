// tavrolin-dbtool build: the driver database of a catalog of driver packages.
#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "matching/inf_target.h"
#include "tools/dbtool/arguments.h"
#include "tools/dbtool/build_options.h"
#include "tools/dbtool/commands.h"
#include "tools/dbtool/database_writer.h"
#include "tools/dbtool/driver_package.h"
#include "tools/dbtool/host_files.h"
#include "tools/dbtool/package_archive.h"
#include "tools/dbtool/vendor_ids.h"

namespace tav::dbtool {

namespace {

namespace fs = std::filesystem;

struct BuildOptions {
  std::string catalog, out, hwdata = "/usr/share/hwdata", date;
  BuildTarget target;
  int os = 0;  // 0: every OS
  bool cut = false;
};

int ParseBuildOptions(const Args& args, BuildOptions* o) {
  Arguments a;
  std::string error;
  if (!a.Parse(args, {"--catalog", "--out", "--arch", "--os", "--date", "--hwdata"}, {"--cut"},
               &error)) {
    Fail(2, "build: " + error);
    return PrintUsage(false);
  }
  if (!a.Has("--catalog") || !a.Has("--out") || !a.Has("--arch")) {
    Fail(2, "build needs --catalog, --out and --arch");
    return PrintUsage(false);
  }
  o->catalog = a.Get("--catalog");
  o->out = a.Get("--out");
  if (a.Has("--hwdata"))
    o->hwdata = a.Get("--hwdata");
  if (!ParseArch(a.Get("--arch"), &o->target.is_64bit))
    return Fail(2, "--arch must be 32 or 64");
  if (a.Has("--os") && !ParseOsCode(a.Get("--os"), &o->os)) {
    return Fail(2, "--os must be one of 5, 6, 7, 8, 81, 10");
  }
  o->cut = a.Has("--cut");
  if (o->cut && o->os == 0)
    return Fail(2, "--cut needs --os");
  o->date = a.Has("--date") ? a.Get("--date") : Today();
  if (!IsDatabaseDate(o->date))
    return Fail(2, "--date must be a date yyyy-mm-dd");
  o->target.os_codes = o->os ? std::vector<int>{o->os} : AllOsCodes();
  return 0;
}

// The package files of the catalog, by name; false for a misnamed one.
bool ListPackages(const std::string& catalog, std::vector<fs::path>* packages, std::string* error) {
  std::error_code ec;
  for (const fs::directory_entry& e : fs::directory_iterator(catalog, ec)) {
    const std::string name = e.path().filename().string();
    const std::string ext = e.path().extension().string();
    if (!e.is_regular_file() || (ext != ".zip" && ext != ".7z" && ext != ".ZIP" && ext != ".7Z")) {
      continue;
    }
    if (!IsPackageFileName(name)) {
      *error = name + ": a package is named <number>_<name>.zip (or .7z) in lower case";
      return false;
    }
    packages->push_back(e.path());
  }
  if (ec) {
    *error = "cannot list the catalog " + catalog + ": " + ec.message();
    return false;
  }
  std::sort(packages->begin(), packages->end());
  return true;
}

bool AddVendorTables(const std::string& hwdata, DatabaseWriter* db, std::string* error) {
  std::vector<VendorCode> pci, usb;
  if (!ReadVendorIds(hwdata + "/pci.ids", &pci) || !ReadVendorIds(hwdata + "/usb.ids", &usb)) {
    *error = "cannot read pci.ids and usb.ids in " + hwdata + " (Debian's hwdata package)";
    return false;
  }
  for (const VendorCode& v : pci)
    db->AddPciVendor(v.code, v.vendor);
  for (const VendorCode& v : usb)
    db->AddUsbVendor(v.code, v.vendor);
  return true;
}

bool AddSettings(const BuildOptions& o, DatabaseWriter* db) {
  return db->AddSetting("date", o.date) && db->AddSetting("plain", "0") &&
         db->AddSetting("cut", o.cut ? "1" : "0") &&
         (o.os == 0 || db->AddSetting("os", std::to_string(o.os)));
}

int AddPackage(const fs::path& path, const BuildOptions& o, DatabaseWriter* db) {
  std::string metadata, error;
  fs::path meta_path = path;
  meta_path.replace_extension(".json");
  if (fs::exists(meta_path) && !ReadHostFile(meta_path.string(), &metadata)) {
    return Fail(1, meta_path.string() + ": cannot read");
  }
  DriverPackage package;
  if (!ReadDriverPackage(path.string(), metadata, o.target, &package, &error)) {
    return Fail(1, path.filename().string() + ": " + error);
  }
  for (const std::string& warning : package.warnings) {
    std::fprintf(stderr, "tavrolin-dbtool: %s: %s\n", package.file_name.c_str(), warning.c_str());
  }
  for (const DriverRow& row : package.rows) {
    if (!db->AddRow(row))
      return Fail(1, "cannot write a driver row: " + db->LastError());
  }
  return 0;
}

// "--out X.7z": the database is built beside the archive and then packed as
// the one item "Drivers.db", the way the service publishes it.
bool IsPackedOutput(const std::string& out) {
  const std::string ext = fs::path(out).extension().string();
  return ext == ".7z" || ext == ".7Z";
}

bool PackDatabase(const std::string& db_path, const std::string& out, std::string* error) {
  std::string bytes;
  if (!ReadHostFile(db_path, &bytes)) {
    *error = "cannot read the database " + db_path;
    return false;
  }
  std::error_code ec;
  fs::remove(out, ec);
  return WriteArchive(out, ArchiveFormat::kSevenZip, {{"Drivers.db", std::move(bytes)}}, error);
}

}  // namespace

int RunBuildCommand(const Args& args) {
  BuildOptions o;
  if (const int rc = ParseBuildOptions(args, &o))
    return rc;
  if (!fs::is_directory(o.catalog))
    return Fail(1, "the catalog " + o.catalog + " is not a folder");
  std::vector<fs::path> packages;
  std::string error;
  if (!ListPackages(o.catalog, &packages, &error))
    return Fail(1, error);
  if (packages.empty())
    return Fail(1, "the catalog " + o.catalog + " holds no driver package");
  const bool packed = IsPackedOutput(o.out);
  const std::string db_path = packed ? o.out + ".Drivers.db" : o.out;
  if (packed && fs::exists(db_path))
    return Fail(1, db_path + " is in the way of the archive's database");
  DatabaseWriter db;
  if (!db.Create(db_path, &error))
    return Fail(1, db_path + ": " + error);
  for (const fs::path& path : packages) {
    if (const int rc = AddPackage(path, o, &db))
      return rc;
  }
  if (!AddVendorTables(o.hwdata, &db, &error))
    return Fail(1, error);
  if (!AddSettings(o, &db) || !db.Finish(&error)) {
    return Fail(1, db_path + ": " + (error.empty() ? db.LastError() : error));
  }
  if (packed) {
    const bool ok = PackDatabase(db_path, o.out, &error);
    std::error_code ec;
    fs::remove(db_path, ec);
    if (!ok)
      return Fail(1, o.out + ": " + error);
  }
  std::printf("%s: %zu packages, %lld driver rows, %lld IDs, date %s\n", o.out.c_str(),
              packages.size(), static_cast<long long>(db.rows()),
              static_cast<long long>(db.hardids()), o.date.c_str());
  return 0;
}

}  // namespace tav::dbtool
