// The vendor a device's hardware IDs name through their PCI (VEN_) or USB
// (VID_) vendor codes, from the database's vendor tables. Answers are cached
// for the life of the process.
#pragma once

#include <string>
#include <string_view>

#include "matching/sqlite_database.h"

namespace tav {

// The vendor of one ID: its VEN_ code, else its VID_ code; empty when the
// database names none.
std::string IdVendor(SqliteDatabase& db, std::string_view id);

// The vendor all IDs of the list that have one agree on; empty when none has
// one or two disagree.
std::string DeviceHidVendor(SqliteDatabase& db, std::string_view regular_ids);

// Forgets the cached answers (a new database).
void ClearVendorCodeCache();

}  // namespace tav
