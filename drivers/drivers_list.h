// The driver packages that a scan's install records describe: read from the
// ".pre" and ".status" files of the work folder, grouped by package key,
// sorted by descending sort weight. Freeing the list frees its packages.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "drivers/driver_package_entry.h"
#include "drivers/extra_params.h"
#include "drivers/scan_values.h"

namespace tav {

// The result list keeps what can still be downloaded and installed; the
// history keeps every package whose downloaded file is still there.
enum class TListMode { Result, History };

class TDriversList {
 public:
  // Clears the list and reads every "*.pre" of the folder (a path ending in
  // "\") that has its ".status" file beside it.
  void ScanPreFiles(std::string_view folder, TListMode mode);
  // Adds the devices of one record file that the mode keeps.
  void Scan(std::string_view record_file, std::string_view key, TListMode mode);
  // The device joins the first package with its key, or a new package made
  // from its values. Null, with a log line, when its "ClassGUID" does not
  // parse: the device is left out. An empty one is the null class.
  TDriverPackageEntry* AddDevice(const TScanValues& values, const TExtraParams& params);

  // Descending sort weight; packages of equal weight keep their order.
  void Sort();
  void Clear() { items_.clear(); }

  size_t Count() const { return items_.size(); }
  TDriverPackageEntry& operator[](size_t index) const { return *items_[index]; }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  TDriverPackageEntry* FindPackage(const std::string& key) const;

  std::vector<std::unique_ptr<TDriverPackageEntry>> items_;
};

}  // namespace tav
