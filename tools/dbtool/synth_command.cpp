// tavrolin-dbtool synth: a large synthetic driver database and a virtual PC
// profile whose devices it knows, for benchmarks of the lookups and the scan.
// Each of the PC's devices gets a few rows, as a real database offers a
// handful of packages per device (half through its complete ID, half through
// IDs that share its reduced form), at most a quarter of all rows; the rest
// are for hardware the PC does not have, each with an ID of its own.
#include <algorithm>
#include <cstdio>
#include <filesystem>

#include <nlohmann/json.hpp>

#include "core/md5.h"
#include "core/text_utils.h"
#include "devices/hardware_ids.h"
#include "matching/digit_swap.h"
#include "tools/dbtool/arguments.h"
#include "tools/dbtool/build_options.h"
#include "tools/dbtool/commands.h"
#include "tools/dbtool/database_writer.h"
#include "tools/dbtool/host_files.h"
#include "tools/dbtool/vendor_ids.h"

namespace tav::dbtool {

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

struct SynthVendor {
  const char* code;
  const char* name;
  const char* vendor;  // canonical form
  const char* class_name;
};

constexpr SynthVendor kVendors[] = {
    {"8086", "Intel", "INTEL", "Net"},       {"10EC", "Realtek", "REALTEK", "MEDIA"},
    {"10DE", "NVIDIA", "NVIDIA", "Display"}, {"1002", "ATI Technologies Inc.", "ATI", "Display"},
    {"14E4", "Broadcom", "BROADCOM", "Net"}, {"168C", "Atheros", "ATHEROS", "Net"},
};
constexpr long long kMaxDevices = 6 * 65536;
constexpr long long kRowsPerDevice = 8;

struct SynthDevice {
  const SynthVendor* vendor;
  std::string full, second, reduced, instance;
};

std::string Hex(long long value, int digits) {
  return IntToHex(static_cast<uint64_t>(value), digits);
}

SynthDevice MakeDevice(long long i) {
  SynthDevice d;
  d.vendor = &kVendors[i / 65536];
  d.reduced = std::string("PCI\\VEN_") + d.vendor->code + "&DEV_" + Hex(i % 65536, 4);
  d.second = d.reduced + "&SUBSYS_" + Hex(0x10000000 + i, 8);
  d.full = d.second + "&REV_01";
  d.instance = d.full + "\\3&11583659&0&" + Hex(i % 256, 2);
  return d;
}

std::string ClassCode(std::string_view class_name) {
  if (class_name == "Display")
    return "030000";
  if (class_name == "MEDIA")
    return "040300";
  return "020000";
}

// One device in ten has an older driver than its rows offer, as on a PC
// that was kept up to date for a while; the rest have newer ones installed.
bool IsOutdated(long long i) {
  return i % 10 == 0;
}

json DeviceProfile(const SynthDevice& d, long long i) {
  const std::string name =
      "Synthetic " + std::string(d.vendor->name) + " device " + std::to_string(i);
  // The IDs Windows gives a PCI function, most specific first.
  const std::string cc = ClassCode(d.vendor->class_name);
  const std::string vendor = std::string("PCI\\VEN_") + d.vendor->code;
  return {
      {"instance_id", d.instance},
      {"class", d.vendor->class_name},
      {"hardware_ids",
       {d.full, d.second, d.reduced + "&CC_" + cc, d.reduced + "&CC_" + cc.substr(0, 4)}},
      {"compatible_ids",
       {d.reduced + "&REV_01", d.reduced, vendor + "&CC_" + cc, vendor + "&CC_" + cc.substr(0, 4),
        vendor, "PCI\\CC_" + cc, "PCI\\CC_" + cc.substr(0, 4)}},
      {"description", name},
      {"manufacturer", d.vendor->name},
      {"driver",
       {{"provider", d.vendor->name},
        {"version", IsOutdated(i) ? "1.0.0.0" : "3.0.0.0"},
        {"date", IsOutdated(i) ? "2009-01-01" : "2021-01-01"},
        {"inf_path", "oem" + std::to_string(i % 1000) + ".inf"},
        {"inf_section", "Install"},
        {"description", name}}}};
}

json OsProfile(int os_code, bool is_64bit) {
  struct Os {
    int code, major, minor, build;
    const char* name;
  };
  static const Os kOs[] = {
      {5, 5, 1, 2600, "Windows XP Professional"}, {6, 6, 0, 6002, "Windows Vista Business"},
      {7, 6, 1, 7601, "Windows 7 Professional"},  {8, 6, 2, 9200, "Windows 8 Pro"},
      {81, 6, 3, 9600, "Windows 8.1 Pro"},        {10, 10, 0, 19045, "Windows 10 Pro"}};
  for (const Os& os : kOs) {
    if (os.code != os_code)
      continue;
    return {{"name", os.name},   {"major", os.major}, {"minor", os.minor},
            {"build", os.build}, {"service_pack", 0}, {"64bit", is_64bit}};
  }
  return json::object();
}

DriverRow MakeRow(long long j, long long devices, long long pc_rows, long long packages, int os) {
  DriverRow row;
  const long long package = j % packages;
  std::string id;
  std::string vendor;
  if (j < pc_rows) {
    const SynthDevice d = MakeDevice((j / 2) % devices);
    id = j % 2 == 0 ? d.full : d.reduced + "&SUBSYS_" + Hex(0x20000000 + j, 8);
    vendor = d.vendor->vendor;
  } else {
    id = "PCI\\VEN_1AF4&DEV_" + Hex(j % 65536, 4) + "&SUBSYS_" + Hex(j, 8);
    vendor = "REDHAT";
  }
  row.full_id = TransformHardwareId(PrepareSqlText(id));
  row.reduced_id = TransformHardwareId(ReduceHardwareId(id));
  row.index_in_line = j % 3;
  row.date = "20" + std::to_string(10 + j % 10) + "-0" + std::to_string(1 + j % 9) + "-1" +
             std::to_string(j % 10);
  row.version = "2." + std::to_string(package % 100) + "." + std::to_string(j % 1000) + ".0";
  row.vendor = vendor;
  const std::string name =
      std::to_string(1000 + package) + "_synth_package" + std::to_string(package) + ".zip";
  row.filename = FileNameToStored(name);
  row.filehash = MD5DigestToHex(MD5String(name));
  row.file_description = "Synthetic driver package " + std::to_string(package);
  row.file_size = 1000000 + package;
  row.installer = "driver/package" + std::to_string(package) + ".inf";
  row.device_description = "Synthetic device model " + std::to_string(j % 5000);
  row.os = os;
  return row;
}

}  // namespace

int RunSynthCommand(const Args& args) {
  Arguments a;
  std::string error;
  if (!a.Parse(args, {"--devices", "--rows", "--out", "--arch", "--os"}, {}, &error)) {
    Fail(2, "synth: " + error);
    return PrintUsage(false);
  }
  long long devices = 0, rows = 0;
  bool is_64bit = true;
  int os = 7;
  if (!a.Has("--devices") || !a.Has("--rows") || !a.Has("--out")) {
    Fail(2, "synth needs --devices, --rows and --out");
    return PrintUsage(false);
  }
  if (!ParseCount(a.Get("--devices"), 1, kMaxDevices, &devices)) {
    return Fail(2, "--devices must be a number from 1 to " + std::to_string(kMaxDevices));
  }
  if (!ParseCount(a.Get("--rows"), 1, 100000000, &rows))
    return Fail(2, "--rows must be a number from 1");
  if (a.Has("--arch") && !ParseArch(a.Get("--arch"), &is_64bit))
    return Fail(2, "--arch must be 32 or 64");
  if (a.Has("--os") && !ParseOsCode(a.Get("--os"), &os))
    return Fail(2, "--os must be one of 5, 6, 7, 8, 81, 10");

  const fs::path out = a.Get("--out");
  std::error_code ec;
  fs::create_directories(out, ec);
  const std::string db_path = (out / DatabaseFileNameFor(is_64bit)).string();
  DatabaseWriter db;
  if (!db.Create(db_path, &error))
    return Fail(1, db_path + ": " + error);
  const long long packages = std::max(1LL, rows / 50);
  const long long pc_rows = std::min(rows / 4, devices * kRowsPerDevice);
  for (long long j = 0; j < rows; ++j) {
    if (!db.AddRow(MakeRow(j, devices, pc_rows, packages, os)))
      return Fail(1, db_path + ": " + db.LastError());
  }
  std::vector<VendorCode> pci;
  if (ReadVendorIds("/usr/share/hwdata/pci.ids", &pci)) {
    for (const VendorCode& v : pci)
      db.AddPciVendor(v.code, v.vendor);
  }
  if (!db.AddSetting("date", Today()) || !db.AddSetting("plain", "0") ||
      !db.AddSetting("cut", "0") || !db.AddSetting("os", std::to_string(os)) ||
      !db.Finish(&error)) {
    return Fail(1, db_path + ": " + (error.empty() ? db.LastError() : error));
  }

  json profile = {{"description", "Synthetic PC of " + std::to_string(devices) + " devices"},
                  {"os", OsProfile(os, is_64bit)},
                  {"devices", json::array()}};
  for (long long i = 0; i < devices; ++i)
    profile["devices"].push_back(DeviceProfile(MakeDevice(i), i));
  const std::string profile_path = (out / "profile.json").string();
  if (!WriteHostFile(profile_path, profile.dump(1) + "\n"))
    return Fail(1, profile_path + ": cannot write");
  std::printf("%s: %lld driver rows, %lld IDs, %lld packages\n%s: %lld devices\n", db_path.c_str(),
              static_cast<long long>(db.rows()), static_cast<long long>(db.hardids()), packages,
              profile_path.c_str(), devices);
  return 0;
}

}  // namespace tav::dbtool
