// The driver database: which file is used, its indexes, the quick usability
// check, and every statement the program issues on it. Values are always
// bound as parameters; no ID or name is ever formatted into SQL text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "matching/sqlite_database.h"

namespace tav {

// The core work folder + "Drivers64.db" on 64-bit Windows, else "Drivers32.db".
std::string DefaultDatabasePath();
std::string DatabaseFileName();

// Creates the three lookup indexes (IF NOT EXISTS). A second caller while
// one runs waits for it, up to 3 s, and takes its end as its own success.
// An empty path means the default database.
bool CreateBaseIndexes(std::string_view database_path = {});

// The default database is usable: it exists, holds more than 9,999 driver
// rows, stores its IDs transformed ("plain" = "0"), and is either for all
// OS versions or cut for this one.
bool QuickCheckDatabase();

// The value of a row of the settings table; empty when there is none.
std::string ReadDatabaseSetting(SqliteDatabase& db, std::string_view name, bool* ok = nullptr);
bool CountDriverRows(SqliteDatabase& db, int64_t* count);

namespace driver_sql {
inline constexpr std::string_view kSetting = "SELECT value FROM settings WHERE name=?1";
inline constexpr std::string_view kCount = "SELECT COUNT(*) AS NumberOfOrders FROM drivers";
inline constexpr std::string_view kPciVendor = "SELECT vendor FROM ven_vendors WHERE ven=?1";
inline constexpr std::string_view kUsbVendor = "SELECT vendor FROM vid_vendors WHERE vid=?1";

#define TAV_DRIVER_LOOKUP(column)                                                            \
  "SELECT * FROM hardids JOIN drivers ON hardids.id = drivers." column                      \
  " JOIN files ON files.id = drivers.file_id JOIN vendors ON vendors.id = drivers.vendor_id" \
  " JOIN versions ON versions.id = drivers.version_id"                                       \
  " LEFT JOIN installers ON installers.id = drivers.installer_id"                            \
  " JOIN devices_descriptions ON devices_descriptions.id = drivers.device_id"                \
  " WHERE hardids.hardid = ?1"
// Lookups of a complete and of a reduced ID, with and without the OS filter.
inline constexpr std::string_view kLookupFull = TAV_DRIVER_LOOKUP("hardid_full_index");
inline constexpr std::string_view kLookupFullOs = TAV_DRIVER_LOOKUP("hardid_full_index") " AND os=?2";
inline constexpr std::string_view kLookupReduced = TAV_DRIVER_LOOKUP("hardid_index");
inline constexpr std::string_view kLookupReducedOs = TAV_DRIVER_LOOKUP("hardid_index") " AND os=?2";
#undef TAV_DRIVER_LOOKUP
}  // namespace driver_sql

}  // namespace tav
