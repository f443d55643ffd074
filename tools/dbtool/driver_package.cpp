#include "tools/dbtool/driver_package.h"

#include <algorithm>
#include <filesystem>
#include <regex>

#include <nlohmann/json.hpp>

#include "core/md5.h"
#include "core/text_utils.h"
#include "devices/hardware_ids.h"
#include "devices/vendor_names.h"
#include "matching/digit_swap.h"
#include "matching/inf_file.h"
#include "tools/dbtool/host_files.h"
#include "tools/dbtool/package_archive.h"

namespace tav::dbtool {

namespace {

// INFs without a BOM are taken as written on Western Windows.
constexpr uint32_t kInfCodePage = 1252;

std::string BaseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsSetupProgram(const std::string& path) {
  const std::string name = ToLowerAscii(BaseName(path));
  return name == "setup.exe" || name == "install.exe";
}

// The shallowest setup program, by name within a depth.
std::string FindSetupProgram(const std::vector<ArchiveItem>& items) {
  std::string best;
  auto depth = [](const std::string& p) { return std::count(p.begin(), p.end(), '/'); };
  for (const ArchiveItem& item : items) {
    if (!IsSetupProgram(item.path))
      continue;
    if (best.empty() || depth(item.path) < depth(best) ||
        (depth(item.path) == depth(best) && item.path < best)) {
      best = item.path;
    }
  }
  return best;
}

std::string StoredFullId(const std::string& id) {
  return TransformHardwareId(PrepareSqlText(ToUpperAscii(id)));
}

std::string StoredReducedId(const std::string& id) {
  return TransformHardwareId(ReduceHardwareId(id));
}

std::string MetaText(const nlohmann::json& meta, const char* key, const std::string& fallback) {
  const auto it = meta.find(key);
  return it != meta.end() && it->is_string() ? it->get<std::string>() : fallback;
}

std::string DerivedDescription(const InfFile& inf) {
  std::string text = Trim(inf.Provider() + " " + inf.Value("Version", "Class"));
  text = text.empty() ? "Driver" : text + " driver";
  const std::string version = inf.DriverVer().version;
  return version.empty() ? text : text + " " + version;
}

// The rows of one INF of the package.
void AddInfRows(const InfFile& inf,
                const std::string& inf_path,
                const BuildTarget& target,
                DriverPackage* package) {
  const InfDriverVer driver_ver = inf.DriverVer();
  const std::string provider = inf.Provider();
  for (int os : target.os_codes) {
    const InfTarget platform = *InfTargetForOsCode(os, target.is_64bit);
    for (const InfManufacturer& m : inf.Manufacturers()) {
      const std::string vendor = ChooseVendor(m.name, provider);
      for (const InfModel& model : inf.Models(m, platform)) {
        for (size_t k = 0; k < model.ids.size(); ++k) {
          DriverRow row;
          row.full_id = StoredFullId(model.ids[k]);
          row.reduced_id = StoredReducedId(model.ids[k]);
          row.index_in_line = static_cast<int64_t>(k);
          row.date = driver_ver.date;
          row.version = driver_ver.version;
          row.vendor = vendor;
          row.installer = inf_path;
          row.device_description = model.description;
          row.os = os;
          package->rows.push_back(std::move(row));
        }
      }
    }
  }
}

void AddInfs(const std::vector<ArchiveItem>& items,
             const BuildTarget& target,
             DriverPackage* package,
             std::string* derived_description) {
  for (const ArchiveItem& item : items) {
    if (ToLowerAscii(ExtractFileExt(item.path)) != ".inf")
      continue;
    const InfFile inf = InfFile::FromBytes(item.bytes, kInfCodePage);
    if (!inf.HasSection("Version")) {
      package->warnings.push_back(item.path + ": no [Version] section, skipped");
      continue;
    }
    if (inf.DriverVer().date.empty()) {
      package->warnings.push_back(item.path + ": no valid DriverVer date, skipped");
      continue;
    }
    const size_t before = package->rows.size();
    AddInfRows(inf, item.path, target, package);
    if (package->rows.size() == before) {
      package->warnings.push_back(item.path + ": no model line for the target platform");
    } else if (derived_description->empty()) {
      *derived_description = DerivedDescription(inf);
    }
  }
}

}  // namespace

bool IsPackageFileName(const std::string& name) {
  static const std::regex pattern("[0-9]+_[a-z0-9._-]+\\.(zip|7z)");
  return std::regex_match(name, pattern);
}

bool ReadDriverPackage(const std::string& host_path,
                       const std::string& metadata,
                       const BuildTarget& target,
                       DriverPackage* package,
                       std::string* error) {
  package->file_name = std::filesystem::path(host_path).filename().string();
  std::string bytes;
  if (!ReadHostFile(host_path, &bytes)) {
    *error = "cannot read the file";
    return false;
  }
  std::vector<ArchiveItem> items;
  if (!ReadArchive(host_path, &items, error))
    return false;
  std::sort(items.begin(), items.end(),
            [](const ArchiveItem& a, const ArchiveItem& b) { return a.path < b.path; });
  package->md5 = MD5DigestToHex(MD5Bytes(bytes));
  package->size = static_cast<int64_t>(bytes.size());
  nlohmann::json meta = nlohmann::json::object();
  if (!metadata.empty()) {
    meta = nlohmann::json::parse(metadata, nullptr, false);
    if (!meta.is_object()) {
      *error = "its metadata file is not a JSON object";
      return false;
    }
  }
  package->installer_program = MetaText(meta, "installer", FindSetupProgram(items));
  std::string derived;
  AddInfs(items, target, package, &derived);
  package->description =
      MetaText(meta, "description", derived.empty() ? "Driver package" : derived);
  const std::string stored_name = FileNameToStored(package->file_name);
  for (DriverRow& row : package->rows) {
    row.filename = stored_name;
    row.filehash = package->md5;
    row.file_size = package->size;
    row.file_description = package->description;
    if (!package->installer_program.empty())
      row.installer = package->installer_program;
  }
  return true;
}

}  // namespace tav::dbtool
