// tavrolin-dbtool catalog: a sample catalog for a virtual PC profile, with
// the scan outcome expected for each of its devices.
#include <cstdio>
#include <filesystem>

#include <nlohmann/json.hpp>

#include "core/md5.h"
#include "tools/dbtool/arguments.h"
#include "tools/dbtool/catalog_device.h"
#include "tools/dbtool/catalog_plan.h"
#include "tools/dbtool/commands.h"
#include "tools/dbtool/host_files.h"
#include "tools/dbtool/package_archive.h"
#include "tools/dbtool/vendor_ids.h"

namespace tav::dbtool {

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

constexpr const char* kStorageKey =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\DriverSettings\\";

std::map<std::string, std::string> VendorMap(const std::string& path) {
  std::vector<VendorCode> codes;
  ReadVendorIds(path, &codes);
  std::map<std::string, std::string> map;
  for (const VendorCode& c : codes)
    map[c.code] = c.vendor;
  return map;
}

bool WritePackage(const fs::path& out,
                  const SamplePackage& p,
                  std::string* md5,
                  std::string* error) {
  const fs::path path = out / p.file_name;
  if (!WriteArchive(path.string(), ArchiveFormat::kZip, PackageItems(p), error))
    return false;
  std::string bytes;
  if (!ReadHostFile(path.string(), &bytes)) {
    *error = "cannot read it back";
    return false;
  }
  *md5 = MD5DigestToHex(MD5Bytes(bytes));
  fs::path meta = path;
  meta.replace_extension(".json");
  return WriteHostFile(meta.string(), json({{"description", p.description}}).dump(2) + "\n") ||
         (*error = "cannot write " + meta.string(), false);
}

json Expected(const fs::path& profile_path,
              const CatalogPc& pc,
              const std::vector<CatalogDevice>& devices,
              const CatalogPlan& plan) {
  json expected = {{"profile", profile_path.filename().string()},
                   {"database", {{"arch", pc.is_64bit ? 64 : 32}, {"os", pc.os_code}}},
                   {"devices", json::object()},
                   {"cases", json::array()},
                   {"unassigned", plan.unassigned}};
  for (const CatalogDevice& d : devices) {
    const auto it = plan.expected.find(d.instance_id);
    if (it == plan.expected.end()) {
      expected["devices"][d.instance_id] = {{"outcome", nullptr}, {"package", nullptr}};
      continue;
    }
    const DeviceExpectation& e = it->second;
    expected["devices"][d.instance_id] = {{"outcome", e.outcome},
                                          {"package", e.package.empty() ? json() : json(e.package)},
                                          {"case", e.case_name}};
  }
  for (const PlannedCase& c : plan.cases) {
    expected["cases"].push_back(
        {{"case", c.name}, {"why", c.why}, {"devices", c.devices}, {"packages", c.packages}});
  }
  return expected;
}

json RegistryValues(const CatalogPlan& plan, const std::map<std::string, std::string>& md5s) {
  json list = json::array();
  for (const auto& [instance, package] : plan.installed) {
    list.push_back(
        {{"key", kStorageKey + instance},
         {"values",
          {{{"name", "InstalledVersion"}, {"type", "REG_SZ"}, {"data", md5s.at(package)}},
           {{"name", "InstalledStatus"}, {"type", "REG_SZ"}, {"data", "1"}}}}});
  }
  return list;
}

}  // namespace

int RunCatalogCommand(const Args& args) {
  Arguments a;
  std::string error;
  if (!a.Parse(args, {"--profile", "--out", "--hwdata"}, {}, &error)) {
    Fail(2, "catalog: " + error);
    return PrintUsage(false);
  }
  if (!a.Has("--profile") || !a.Has("--out")) {
    Fail(2, "catalog needs --profile and --out");
    return PrintUsage(false);
  }
  const fs::path profile_path = a.Get("--profile"), out = a.Get("--out");
  const std::string hwdata = a.Has("--hwdata") ? a.Get("--hwdata") : "/usr/share/hwdata";
  std::string text;
  if (!ReadHostFile(profile_path.string(), &text))
    return Fail(1, profile_path.string() + ": cannot read");
  const json profile = json::parse(text, nullptr, false);
  if (!profile.is_object())
    return Fail(1, profile_path.string() + ": not a JSON profile");
  CatalogPc pc;
  std::vector<CatalogDevice> devices;
  // A profile field of the wrong type is bad input, not a crash.
  try {
    pc = ReadCatalogPc(profile);
    devices = ReadCatalogDevices(profile, pc, VendorMap(hwdata + "/pci.ids"),
                                 VendorMap(hwdata + "/usb.ids"));
  } catch (const std::exception& e) {
    return Fail(1, profile_path.string() + ": " + e.what());
  }
  const CatalogPlan plan = PlanCatalog(devices, pc);

  std::error_code ec;
  fs::create_directories(out, ec);
  if (!fs::is_directory(out))
    return Fail(1, out.string() + ": cannot create the folder");
  std::map<std::string, std::string> md5s;
  for (const SamplePackage& p : plan.packages) {
    if (!WritePackage(out, p, &md5s[p.file_name], &error))
      return Fail(1, p.file_name + ": " + error);
  }
  const json expected = Expected(profile_path, pc, devices, plan);
  if (!WriteHostFile((out / "expected.json").string(), expected.dump(2) + "\n") ||
      !WriteHostFile((out / "registry.json").string(), RegistryValues(plan, md5s).dump(2) + "\n")) {
    return Fail(1, out.string() + ": cannot write expected.json and registry.json");
  }
  std::printf("%s: %zu packages for %zu of %zu devices, %zu cases", out.string().c_str(),
              plan.packages.size(), plan.expected.size(), devices.size(), plan.cases.size());
  if (!plan.unassigned.empty())
    std::printf(" (%zu without a device)", plan.unassigned.size());
  std::printf("\n");
  return 0;
}

}  // namespace tav::dbtool
