// Whether a candidate's vendor fits the device: accepted through the
// manufacturer, the provider, the hardware-ID vendor, the vendor word in the
// device's name, an inbox driver's names, or (loosely) through a complete
// regular ID; declined ("Vendor") otherwise.
#pragma once

#include <string_view>

#include "matching/device_facts.h"
#include "matching/driver_candidate.h"
#include "matching/sqlite_database.h"

namespace tav {

// Pairs that count as one vendor.
bool VendorMatches(std::string_view candidate_vendor, std::string_view name);

// Goes through the candidates from the last to the first; the device's HID
// vendor is looked up at most once. Returns the number not declined.
int AcceptVendors(SqliteDatabase& db, TDriverList* candidates, const DeviceFacts& device);

}  // namespace tav
