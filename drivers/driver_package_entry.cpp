#include "drivers/driver_package_entry.h"

#include <algorithm>
#include <utility>

#include "core/text_utils.h"
#include "devices/device_dates.h"
#include "drivers/package_naming.h"

namespace tav {

namespace {

constexpr int32_t kOtherClassRank = 49;

int32_t RankOfClass(const std::string& class_name) {
  static constexpr std::pair<const char*, int32_t> kRanks[] = {
      {"video", 1},   {"audio", 2}, {"media", 3}, {"printer", 4},
      {"display", 5}, {"image", 6}, {"game", 7}};
  const std::string lower = ToLowerAscii(class_name);
  for (const auto& [name, rank] : kRanks) {
    if (lower == name)
      return rank;
  }
  return kOtherClassRank;
}

}  // namespace

std::string TDriverPackageEntry::ComposeName() const {
  if (DeviceNames.size() == 1)
    return CleanName(DeviceNames[0], Vendor);
  if (!Description.empty())
    return CleanName(Description, Vendor);
  return CommonName(DeviceNames, Vendor);
}

std::string TDriverPackageEntry::GetName() {
  if (!DisplayName.empty())
    return DisplayName;
  std::string name = ComposeName();
  if (name.empty())
    name = GroupsText;
  DisplayName = name.empty() ? Vendor : Vendor + " - " + name;
  return DisplayName;
}

std::optional<int32_t> TDriverPackageEntry::GetIcon() {
  if (!icon_computed_) {
    TDeviceEntry* main = GetMainDevice();
    if (main)
      Icon = main->GetIcon();
    icon_computed_ = true;
  }
  return Icon;
}

// The classes are counted in the order their first device appears, so of
// two devices in two classes the first one is the main device.
TDeviceEntry* TDriverPackageEntry::GetMainDevice() {
  if (main_device_)
    return *main_device_;
  std::vector<std::pair<int32_t, TDeviceEntry*>> firsts;
  std::vector<size_t> counts;
  for (const auto& device : Devices) {
    const int32_t index = device->GetIcon();
    const auto known = std::find_if(firsts.begin(), firsts.end(),
                                    [&](const auto& first) { return first.first == index; });
    if (known == firsts.end()) {
      firsts.emplace_back(index, device.get());
      counts.push_back(1);
    } else {
      ++counts[static_cast<size_t>(known - firsts.begin())];
    }
  }
  const size_t threshold = Devices.size() / 3 * 2;
  main_device_ = nullptr;
  for (size_t i = 0; i < firsts.size(); ++i) {
    if (counts[i] > threshold) {
      main_device_ = firsts[i].second;
      break;
    }
  }
  return *main_device_;
}

int32_t TDriverPackageEntry::ClassRank() {
  TDeviceEntry* main = GetMainDevice();
  return main ? RankOfClass(main->ClassName) : kOtherClassRank;
}

int32_t TDriverPackageEntry::GetSortWeight() {
  if (sort_weight_)
    return *sort_weight_;
  int32_t weight = ClassRank();
  switch (State) {
    case psNone:
    case psDownloaded:
      if (!HasConnectedDevice())
        weight += 50;
      if (!Present)
        weight += 4000;
      break;
    case psPending:
    case psInstalled:
    case psCheckAfterRestart:
      weight += State == psPending ? 400 : State == psInstalled ? 300 : 200;
      if (!Present)
        weight += 2000;
      break;
  }
  sort_weight_ = weight;
  return weight;
}

bool TDriverPackageEntry::HasConnectedDevice() {
  if (!has_connected_device_) {
    has_connected_device_ = std::any_of(Devices.begin(), Devices.end(),
                                        [](const auto& device) { return device->IsConnected; });
  }
  return *has_connected_device_;
}

bool TDriverPackageEntry::IsAllUnfiltered() {
  if (!is_all_unfiltered_) {
    is_all_unfiltered_ = std::all_of(Devices.begin(), Devices.end(),
                                     [](const auto& device) { return device->IsUnfiltered; });
  }
  return *is_all_unfiltered_;
}

TDeviceEntry* TDriverPackageEntry::AddDevice(std::string_view device_name,
                                             std::string_view group,
                                             const TExtraParams& params,
                                             const TGuid& class_guid,
                                             std::string_view device_class,
                                             std::string_view version1,
                                             std::string_view date1) {
  auto device = std::make_unique<TDeviceEntry>();
  device->Group = group;
  device->DeviceName = device_name;
  device->Date = LocalizeDateText(date1);
  device->Version = version1;
  device->ClassGUID = class_guid;
  device->Class = device_class;
  device->IsConnected = params.IsConnected;
  device->IsUnfiltered = params.IsUnfiltered;
  device->IsSystemDriver = params.IsSystemDriver;
  device->ClassName = params.ClassName;
  device->Package = this;
  Devices.push_back(std::move(device));
  if (!device_name.empty()) {
    DeviceNames.emplace_back(device_name);
  } else if (!params.DeviceDescription.empty()) {
    DeviceNames.push_back(params.DeviceDescription);
  }
  DisplayName.clear();
  return Devices.back().get();
}

void TDriverPackageEntry::AddGroup(std::string_view group) {
  const bool known = std::any_of(Groups.begin(), Groups.end(),
                                 [&](const std::string& g) { return EqualsIgnoreCase(g, group); });
  if (!known)
    Groups.emplace_back(group);
  GroupsText = Join(Groups, ", ");
}

}  // namespace tav
