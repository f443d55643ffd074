// The one value a successful package download records in the package's
// ".status" file (work folder + key + ".status"): [Settings] "Downloaded",
// today as a whole day number (days since 30 December 1899). The driver list
// model and the install pipeline read it later.
#pragma once

#include <string>
#include <string_view>

namespace tav {

std::string PackageStatusPath(std::string_view key);

// Creates the file when missing and keeps its other values. A failed save is
// logged and tried once more after 1000 ms; false when that fails too.
bool RecordDownloadedDay(std::string_view key);

}  // namespace tav
