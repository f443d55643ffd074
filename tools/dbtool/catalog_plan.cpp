#include "tools/dbtool/catalog_plan.h"

#include <cstdio>
#include <ctime>
#include <functional>
#include <set>

#include "core/text_utils.h"
#include "devices/hardware_ids.h"
#include "devices/vendor_names.h"

namespace tav::dbtool {

namespace {

constexpr const char* kMs = "MICROSOFT";
constexpr const char* kOtherVendor = "Fabrikam, Inc.";  // normalizes to FABRIKAM

std::vector<unsigned> Parts(const std::string& version) {
  std::vector<unsigned> parts;
  for (const std::string& p : Split(version, '.'))
    parts.push_back(static_cast<unsigned>(StrToIntDef(p, 0)));
  return parts;
}

std::string Join(const std::vector<unsigned>& parts) {
  std::string text;
  for (unsigned p : parts)
    text += (text.empty() ? "" : ".") + std::to_string(p);
  return text;
}

// The next version up: the last part raised.
std::string Raised(const std::string& version, unsigned by = 1) {
  std::vector<unsigned> parts = Parts(version);
  parts.back() += by;
  return Join(parts);
}

// A version below: the last part that is not 0 lowered; empty when all are 0.
std::string Lowered(const std::string& version) {
  std::vector<unsigned> parts = Parts(version);
  for (size_t i = parts.size(); i-- > 0;) {
    if (parts[i] == 0)
      continue;
    --parts[i];
    return Join(parts);
  }
  return {};
}

std::string AddDays(const std::string& date, int days) {
  std::tm tm{};
  if (std::sscanf(date.c_str(), "%d-%d-%d", &tm.tm_year, &tm.tm_mon, &tm.tm_mday) != 3)
    return date;
  tm.tm_year -= 1900;
  tm.tm_mon -= 1;
  tm.tm_mday += days;
  tm.tm_hour = 12;
  timegm(&tm);
  char buffer[16];
  std::strftime(buffer, sizeof buffer, "%Y-%m-%d", &tm);
  return buffer;
}

std::string Slug(const std::string& text) {
  std::string slug;
  for (char c : ToLowerAscii(text)) {
    if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
      slug += c;
    else if (!slug.empty() && slug.back() != '_')
      slug += '_';
  }
  while (!slug.empty() && slug.back() == '_')
    slug.pop_back();
  return slug.empty() ? "device" : slug.substr(0, 24);
}

// Dots of a version once its trailing ".0" are gone, as the scan counts them.
size_t ShortenedDots(std::string v) {
  while (v.size() >= 3 && EndsWith(v, ".0"))
    v.resize(v.size() - 2);
  return static_cast<size_t>(std::count(v.begin(), v.end(), '.'));
}

// A device with a vendor's own driver: the scan accepts a package of the
// device's manufacturer by manufacturer, and judges it by date and version.
bool IsVendorDevice(const CatalogDevice& d) {
  return d.plain && d.standard_class && d.has_driver && !d.failed && !d.inbox && !d.driverless &&
         !HasMicrosoft(d) && !d.manufacturer.empty() && !d.provider.empty() && !d.version.empty() &&
         !d.date.empty() && !Lowered(d.version).empty();
}

bool IsInboxDevice(const CatalogDevice& d) {
  return d.plain && d.standard_class && d.has_driver && !d.failed && d.inbox && !d.date.empty();
}

bool Mentions(const CatalogDevice& d, const std::string& vendor) {
  for (const std::string& word : VendorWords(d)) {
    if (word == vendor)
      return true;
  }
  return false;
}

class Planner {
 public:
  Planner(const std::vector<CatalogDevice>& devices, const CatalogPc& pc)
      : devices_(devices), pc_(pc) {}

  CatalogPlan Run();

 private:
  using Pick = std::function<bool(const CatalogDevice&)>;

  // The first unused devices that pass, whose IDs reach them alone.
  std::vector<size_t> Choose(
      size_t count,
      const Pick& pick,
      const std::function<std::vector<std::string>(const CatalogDevice&)>& ids_of);
  bool ReachesOnly(const std::vector<std::string>& ids, const std::set<size_t>& targets) const;
  SampleInf Inf(const CatalogDevice& d,
                const std::string& name,
                const std::string& date,
                const std::string& version,
                const std::vector<SampleModel>& models,
                const std::string& manufacturer) const;
  std::string PackageName(const std::string& vendor, const std::string& name);
  void Expect(const CatalogDevice& d,
              const std::string& case_name,
              const std::string& outcome,
              const std::string& package);
  void AddCase(const std::string& name,
               const std::string& why,
               const std::vector<size_t>& devices,
               const std::vector<std::string>& packages);
  SamplePackage OnePackage(const CatalogDevice& d,
                           const std::string& case_name,
                           const std::string& date,
                           const std::string& version,
                           const std::string& manufacturer,
                           const std::string& description,
                           const std::vector<std::string>& ids);

  void NewerByVersion();
  void NewerByDate();
  void SameVersionOtherDate();
  void VendorDeclined();
  void VerDotsDeclined();
  void SynapticsOrElan();
  void InboxDevice();
  void CompatibleIdOnly();
  void OnePackageTwoDevices();
  void TwoPackagesOneDevice();
  void EqualDatesLowerVersion();
  void InstallerProgram();
  void AlreadyInstalled();
  void DriverlessDevice();

  const std::vector<CatalogDevice>& devices_;
  CatalogPc pc_;
  std::set<size_t> used_;
  int next_number_ = 101;
  CatalogPlan plan_;
};

std::vector<std::string> FirstId(const CatalogDevice& d) {
  return {d.regular[0]};
}

std::string DecorationVersion(const CatalogPc& pc) {
  switch (pc.os_code) {
    case 5:
      return pc.is_64bit ? ".5.2" : ".5.1";
    case 6:
      return ".6.0";
    case 7:
      return ".6.1";
    case 8:
      return ".6.2";
    case 81:
      return ".6.3";
    default:
      return ".10.0";
  }
}

std::vector<size_t> Planner::Choose(
    size_t count,
    const Pick& pick,
    const std::function<std::vector<std::string>(const CatalogDevice&)>& ids_of) {
  std::vector<size_t> chosen;
  for (size_t i = 0; i < devices_.size() && chosen.size() < count; ++i) {
    if (used_.count(i) || !pick(devices_[i]))
      continue;
    const std::vector<std::string> ids = ids_of(devices_[i]);
    if (ids.empty() || !ReachesOnly(ids, {i}))
      continue;
    bool clashes = false;
    for (size_t c : chosen)
      clashes = clashes || !ReachesOnly(ids_of(devices_[c]), {c});
    if (!clashes)
      chosen.push_back(i);
  }
  if (chosen.size() < count)
    return {};
  for (size_t c : chosen)
    used_.insert(c);
  return chosen;
}

bool Planner::ReachesOnly(const std::vector<std::string>& ids,
                          const std::set<size_t>& targets) const {
  for (size_t j = 0; j < devices_.size(); ++j) {
    if (targets.count(j))
      continue;
    for (const std::string& id : ids) {
      if (HitsOf(devices_[j], id).any())
        return false;
    }
  }
  return true;
}

// "<number>_<vendor>_<case>.zip", in lower case as the service names packages.
std::string Planner::PackageName(const std::string& vendor, const std::string& name) {
  const std::string word = NormalizeVendor(vendor);
  return std::to_string(next_number_++) + "_" + Slug(word.empty() ? "generic" : word) + "_" +
         Slug(name) + ".zip";
}

SampleInf Planner::Inf(const CatalogDevice& d,
                       const std::string& name,
                       const std::string& date,
                       const std::string& version,
                       const std::vector<SampleModel>& models,
                       const std::string& manufacturer) const {
  SampleInf inf;
  const std::string slug = Slug(name);
  inf.path = (pc_.is_64bit ? "x64/" : "x86/") + slug + ".inf";
  inf.provider = d.provider_text.empty() ? manufacturer : d.provider_text;
  inf.class_name = d.class_name;
  inf.class_guid = d.class_guid;
  inf.date = date;
  inf.version = version;
  inf.service = "tv" + slug.substr(0, 6);
  inf.decoration = pc_.is_64bit ? "NTamd64" : "NTx86";
  inf.manufacturers = {{manufacturer, models}};
  return inf;
}

void Planner::Expect(const CatalogDevice& d,
                     const std::string& case_name,
                     const std::string& outcome,
                     const std::string& package) {
  plan_.expected[d.instance_id] = {outcome, package, case_name};
}

void Planner::AddCase(const std::string& name,
                      const std::string& why,
                      const std::vector<size_t>& devices,
                      const std::vector<std::string>& packages) {
  PlannedCase c{name, why, {}, packages};
  for (size_t i : devices)
    c.devices.push_back(devices_[i].instance_id);
  plan_.cases.push_back(std::move(c));
}

SamplePackage Planner::OnePackage(const CatalogDevice& d,
                                  const std::string& case_name,
                                  const std::string& date,
                                  const std::string& version,
                                  const std::string& manufacturer,
                                  const std::string& description,
                                  const std::vector<std::string>& ids) {
  SamplePackage p;
  p.file_name = PackageName(manufacturer, case_name);
  p.description = manufacturer + " driver for " + d.description;
  p.infs = {Inf(d, case_name, date, version, {{description, ids}}, manufacturer)};
  return p;
}

void Planner::NewerByVersion() {
  const auto chosen = Choose(1, IsVendorDevice, FirstId);
  if (chosen.empty())
    return plan_.unassigned.push_back("newer-by-version");
  const CatalogDevice& d = devices_[chosen[0]];
  SamplePackage p = OnePackage(d, "newer version", d.date, Raised(d.version), d.manufacturer_text,
                               d.description, {d.regular[0]});
  // Models for this Windows and later only, as many vendors decorate them.
  p.infs[0].decoration += DecorationVersion(pc_);
  Expect(d, "newer-by-version", "Success", p.file_name);
  AddCase("newer-by-version",
          "same date, higher version: newer by version only; accepted by manufacturer", chosen,
          {p.file_name});
  plan_.packages.push_back(std::move(p));
}

void Planner::NewerByDate() {
  const auto chosen = Choose(1, IsVendorDevice, FirstId);
  if (chosen.empty())
    return plan_.unassigned.push_back("newer-by-date");
  const CatalogDevice& d = devices_[chosen[0]];
  SamplePackage p = OnePackage(d, "newer date", AddDays(d.date, 400), Lowered(d.version),
                               d.manufacturer_text, d.description, {d.regular[0]});
  p.infs[0].utf16 = true;
  Expect(d, "newer-by-date", "Success", p.file_name);
  AddCase("newer-by-date", "400 days newer with a lower version: newer by date only", chosen,
          {p.file_name});
  plan_.packages.push_back(std::move(p));
}

void Planner::SameVersionOtherDate() {
  const auto chosen = Choose(1, IsVendorDevice, FirstId);
  if (chosen.empty())
    return plan_.unassigned.push_back("same-version-other-date");
  const CatalogDevice& d = devices_[chosen[0]];
  SamplePackage p = OnePackage(d, "same version", AddDays(d.date, 200), d.version,
                               d.manufacturer_text, d.description, {d.regular[0]});
  Expect(d, "same-version-other-date", "VerDots", "");
  AddCase("same-version-other-date",
          "the installed version with a later date is newer neither by version nor by date (the "
          "versions must differ): accepted, no winner",
          chosen, {p.file_name});
  plan_.packages.push_back(std::move(p));
}

void Planner::VendorDeclined() {
  const std::string other = NormalizeVendor(kOtherVendor);
  auto pick = [&](const CatalogDevice& d) { return IsVendorDevice(d) && !Mentions(d, other); };
  const auto chosen = Choose(1, pick, FirstId);
  if (chosen.empty())
    return plan_.unassigned.push_back("vendor-declined");
  const CatalogDevice& d = devices_[chosen[0]];
  SamplePackage p = OnePackage(d, "other vendor", AddDays(d.date, 300), Raised(d.version, 5),
                               kOtherVendor, "Fabrikam Universal Adapter", {d.regular[0]});
  p.infs[0].provider = kOtherVendor;
  Expect(d, "vendor-declined", "Vendor", "");
  AddCase(
      "vendor-declined",
      "another vendor's package with another description for a device of a vendor's own driver: "
      "no vendor matches and the strict case holds, so every candidate is declined",
      chosen, {p.file_name});
  plan_.packages.push_back(std::move(p));
}

std::string ReducedVariant(const CatalogDevice& d) {
  const std::string reduced = ReduceHardwareId(d.regular[0]);
  if (reduced == PrepareSqlText(d.regular[0]))
    return {};
  return reduced + "&REV_FE";
}

void Planner::VerDotsDeclined() {
  const std::string description = "Generic Hardware Component";
  auto pick = [&](const CatalogDevice& d) {
    if (!IsVendorDevice(d) || ShortenedDots(d.version) < 2 || ReducedVariant(d).empty())
      return false;
    const std::string dl = ToLowerAscii(d.description), cl = ToLowerAscii(description);
    for (const std::string& own : d.regular) {
      if (PrepareSqlText(own) == PrepareSqlText(ReducedVariant(d)))
        return false;
    }
    const bool fits =
        dl == cl || StartsWith(dl, cl) || (dl.size() > 20 && cl.find(dl) != std::string::npos);
    return !fits && !DescriptionsAlike(dl, cl) && !HitsOf(d, ReducedVariant(d)).full_regular &&
           !HitsOf(d, ReducedVariant(d)).full_compatible;
  };
  const auto chosen = Choose(1, pick, [](const CatalogDevice& d) {
    const std::string id = ReducedVariant(d);
    return id.empty() ? std::vector<std::string>{} : std::vector<std::string>{id};
  });
  if (chosen.empty())
    return plan_.unassigned.push_back("verdots-declined");
  const CatalogDevice& d = devices_[chosen[0]];
  const std::vector<unsigned> parts = Parts(d.version);
  const std::string version = std::to_string(parts[0] + 1) + "." + std::to_string(parts[1]);
  SamplePackage p = OnePackage(d, "two part version", AddDays(d.date, 500), version,
                               d.manufacturer_text, description, {ReducedVariant(d)});
  Expect(d, "verdots-declined", "VerDots", "");
  AddCase("verdots-declined",
          "found only through the reduced ID (rank 4000 and more), another description and a "
          "version of fewer dots than the installed one: declined by VerDots, no winner",
          chosen, {p.file_name});
  plan_.packages.push_back(std::move(p));
}

void Planner::SynapticsOrElan() {
  auto vendor_for = [](const CatalogDevice& d) -> std::string {
    if (!Mentions(d, "SYNAPTICS"))
      return "Synaptics";
    if (!Mentions(d, "ELAN"))
      return "ELAN";
    return {};
  };
  auto pick = [&](const CatalogDevice& d) {
    return d.plain && d.standard_class && d.has_driver && HasMicrosoft(d) && !vendor_for(d).empty();
  };
  const auto chosen = Choose(1, pick, FirstId);
  if (chosen.empty())
    return plan_.unassigned.push_back("synaptics-elan");
  const CatalogDevice& d = devices_[chosen[0]];
  const std::string vendor = vendor_for(d);
  SamplePackage p = OnePackage(d, "pointing", AddDays(d.date.empty() ? "2009-07-14" : d.date, 700),
                               "19.0.19.63", vendor, d.description, {d.regular[0]});
  p.infs[0].provider = vendor;
  Expect(d, "synaptics-elan", "Vendor", "");
  AddCase("synaptics-elan",
          "a " + ToUpperAscii(vendor) +
              " package through the complete hardware ID of a device with a "
              "Microsoft driver: another vendor would be accepted there, " +
              ToUpperAscii(vendor) + " only through a vendor match, so it is declined",
          chosen, {p.file_name});
  plan_.packages.push_back(std::move(p));
}

void Planner::InboxDevice() {
  const auto chosen = Choose(1, IsInboxDevice, FirstId);
  if (chosen.empty())
    return plan_.unassigned.push_back("inbox-device");
  const CatalogDevice& d = devices_[chosen[0]];
  std::string vendor = kOtherVendor;
  if (!d.manufacturer.empty() && d.manufacturer != kMs && d.manufacturer != "SYNAPTICS" &&
      d.manufacturer != "ELAN") {
    vendor = d.manufacturer_text;
  }
  SamplePackage p = OnePackage(d, "inbox update", AddDays(d.date, 1000), "9.1.0.1", vendor,
                               d.description, {d.regular[0]});
  p.infs[0].provider = vendor;
  Expect(d, "inbox-device", "Success", p.file_name);
  AddCase("inbox-device",
          "a device on Windows' own driver: a non-Microsoft package more than a day newer is newer "
          "by date whatever its version",
          chosen, {p.file_name});
  plan_.packages.push_back(std::move(p));
}

void Planner::CompatibleIdOnly() {
  auto compatible_of = [this](const CatalogDevice& d) -> std::vector<std::string> {
    const size_t index = static_cast<size_t>(&d - devices_.data());
    for (const std::string& id : d.compatible) {
      const IdHits hits = HitsOf(d, id);
      if (ReduceHardwareId(id) == PrepareSqlText(id) && !hits.full_regular &&
          !hits.reduced_regular && ReachesOnly({id}, {index})) {
        return {id};
      }
    }
    return {};
  };
  const auto chosen = Choose(1, IsVendorDevice, compatible_of);
  if (chosen.empty())
    return plan_.unassigned.push_back("compatible-id-only");
  const CatalogDevice& d = devices_[chosen[0]];
  SamplePackage p = OnePackage(d, "compatible", d.date, Raised(d.version, 2), d.manufacturer_text,
                               d.description, compatible_of(d));
  Expect(d, "compatible-id-only", "Success", p.file_name);
  AddCase("compatible-id-only",
          "the package lists only a compatible ID of the device (rank 2000 and more)", chosen,
          {p.file_name});
  plan_.packages.push_back(std::move(p));
}

void Planner::OnePackageTwoDevices() {
  const auto chosen = Choose(2, IsVendorDevice, FirstId);
  if (chosen.empty())
    return plan_.unassigned.push_back("one-package-two-devices");
  const CatalogDevice& a = devices_[chosen[0]];
  const CatalogDevice& b = devices_[chosen[1]];
  const std::string date = AddDays(std::max(a.date, b.date), 300);
  const std::string version =
      std::to_string(std::max(Parts(a.version)[0], Parts(b.version)[0]) + 1) + ".0.0.0";
  SamplePackage p;
  p.file_name = PackageName(a.manufacturer_text, "multi device");
  p.description = "Driver pack for " + a.description + " and " + b.description;
  SampleInf inf =
      Inf(a, "multi device", date, version, {{a.description, {a.regular[0]}}}, a.manufacturer_text);
  if (b.manufacturer_text == a.manufacturer_text) {
    inf.manufacturers[0].models.push_back({b.description, {b.regular[0]}});
  } else {
    inf.manufacturers.push_back({b.manufacturer_text, {{b.description, {b.regular[0]}}}});
  }
  inf.utf16 = true;
  p.infs = {inf};
  Expect(a, "one-package-two-devices", "Success", p.file_name);
  Expect(b, "one-package-two-devices", "Success", p.file_name);
  AddCase("one-package-two-devices", "one INF lists both devices; the package is newer for each",
          chosen, {p.file_name});
  plan_.packages.push_back(std::move(p));
}

void Planner::TwoPackagesOneDevice() {
  const auto chosen = Choose(1, IsVendorDevice, FirstId);
  if (chosen.empty())
    return plan_.unassigned.push_back("two-packages-later-date");
  const CatalogDevice& d = devices_[chosen[0]];
  SamplePackage older = OnePackage(d, "update a", AddDays(d.date, 300), Raised(d.version, 1),
                                   d.manufacturer_text, d.description, {d.regular[0]});
  SamplePackage newer = OnePackage(d, "update b", AddDays(d.date, 600), Raised(d.version, 2),
                                   d.manufacturer_text, d.description, {d.regular[0]});
  Expect(d, "two-packages-later-date", "Success", newer.file_name);
  AddCase("two-packages-later-date", "two packages of equal rank: the later date wins", chosen,
          {older.file_name, newer.file_name});
  plan_.packages.push_back(std::move(older));
  plan_.packages.push_back(std::move(newer));
}

void Planner::EqualDatesLowerVersion() {
  const auto chosen = Choose(1, IsVendorDevice, FirstId);
  if (chosen.empty())
    return plan_.unassigned.push_back("two-packages-equal-dates");
  const CatalogDevice& d = devices_[chosen[0]];
  const std::string date = AddDays(d.date, 300);
  SamplePackage higher = OnePackage(d, "same day b", date, Raised(d.version, 2),
                                    d.manufacturer_text, d.description, {d.regular[0]});
  SamplePackage lower = OnePackage(d, "same day a", date, Raised(d.version, 1), d.manufacturer_text,
                                   d.description, {d.regular[0]});
  Expect(d, "two-packages-equal-dates", "Success", lower.file_name);
  AddCase("two-packages-equal-dates",
          "two packages of equal rank and date: the lower version takes the place", chosen,
          {higher.file_name, lower.file_name});
  plan_.packages.push_back(std::move(higher));
  plan_.packages.push_back(std::move(lower));
}

void Planner::InstallerProgram() {
  const auto chosen = Choose(1, IsVendorDevice, FirstId);
  if (chosen.empty())
    return plan_.unassigned.push_back("installer-program");
  const CatalogDevice& d = devices_[chosen[0]];
  SamplePackage p = OnePackage(d, "setup", AddDays(d.date, 100), Raised(d.version, 3),
                               d.manufacturer_text, d.description, {d.regular[0]});
  p.setup_program = true;
  p.infs[0].path = "driver/" + Slug(d.manufacturer) + ".inf";
  Expect(d, "installer-program", "Success", p.file_name);
  AddCase("installer-program", "a vendor installer package: setup.exe is its installer", chosen,
          {p.file_name});
  plan_.packages.push_back(std::move(p));
}

void Planner::AlreadyInstalled() {
  const auto chosen = Choose(1, IsVendorDevice, FirstId);
  if (chosen.empty())
    return plan_.unassigned.push_back("already-installed");
  const CatalogDevice& d = devices_[chosen[0]];
  SamplePackage p = OnePackage(d, "installed", AddDays(d.date, 150), Raised(d.version),
                               d.manufacturer_text, d.description, {d.regular[0]});
  plan_.installed[d.instance_id] = p.file_name;
  Expect(d, "already-installed", "Pending", p.file_name);
  AddCase(
      "already-installed",
      "the winner's MD5 is the device's InstalledVersion with InstalledStatus 1 (registry.json)",
      chosen, {p.file_name});
  plan_.packages.push_back(std::move(p));
}

void Planner::DriverlessDevice() {
  auto pick = [](const CatalogDevice& d) {
    return d.plain && !d.has_driver && d.manufacturer.empty();
  };
  const auto chosen = Choose(1, pick, FirstId);
  if (chosen.empty())
    return plan_.unassigned.push_back("driverless-device");
  const CatalogDevice& d = devices_[chosen[0]];
  SamplePackage p = OnePackage(d, "first driver", "2015-05-05", "3.2.1.0", kOtherVendor,
                               d.description, {d.regular[0]});
  Expect(d, "driverless-device", "Success", p.file_name);
  AddCase("driverless-device", "a device without a driver: any accepted package is newer by date",
          chosen, {p.file_name});
  plan_.packages.push_back(std::move(p));
}

CatalogPlan Planner::Run() {
  // The cases with the narrowest conditions choose first.
  VerDotsDeclined();
  CompatibleIdOnly();
  SynapticsOrElan();
  InboxDevice();
  DriverlessDevice();
  NewerByVersion();
  NewerByDate();
  SameVersionOtherDate();
  VendorDeclined();
  OnePackageTwoDevices();
  TwoPackagesOneDevice();
  EqualDatesLowerVersion();
  InstallerProgram();
  AlreadyInstalled();
  return plan_;
}

}  // namespace

bool DescriptionsAlike(const std::string& a, const std::string& b) {
  const std::string& shorter = a.size() <= b.size() ? a : b;
  const std::string& longer = a.size() <= b.size() ? b : a;
  if (longer.empty())
    return false;
  const size_t m = shorter.size(), offset = longer.size() - m;
  size_t same = 0;
  for (size_t i = 0; i < m; ++i) {
    same += shorter[i] == longer[i];
    same += shorter[i] == longer[offset + i];
  }
  return same * 100 / longer.size() > 80;
}

CatalogPlan PlanCatalog(const std::vector<CatalogDevice>& devices, const CatalogPc& pc) {
  return Planner(devices, pc).Run();
}

}  // namespace tav::dbtool
