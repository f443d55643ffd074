// The tables of a driver database as the database builder writes them and
// the lookups read them. Every result column of the joined lookup has a name
// of its own; "id" is the only name that repeats.
#pragma once

#include <string_view>

namespace tav {

inline constexpr std::string_view kDriverDatabaseSchema = R"sql(
CREATE TABLE hardids(id INTEGER PRIMARY KEY, hardid TEXT NOT NULL);
CREATE TABLE files(id INTEGER PRIMARY KEY, filename TEXT NOT NULL, filehash TEXT NOT NULL,
                   file_description TEXT NOT NULL, size INTEGER NOT NULL DEFAULT 0);
CREATE TABLE vendors(id INTEGER PRIMARY KEY, vendor TEXT NOT NULL);
CREATE TABLE versions(id INTEGER PRIMARY KEY, version TEXT NOT NULL, date TEXT NOT NULL);
CREATE TABLE installers(id INTEGER PRIMARY KEY, installer TEXT NOT NULL);
CREATE TABLE devices_descriptions(id INTEGER PRIMARY KEY, device_description TEXT NOT NULL);
CREATE TABLE drivers(hardid_index INTEGER NOT NULL, hardid_full_index INTEGER NOT NULL,
                     file_id INTEGER NOT NULL, vendor_id INTEGER NOT NULL,
                     version_id INTEGER NOT NULL, installer_id INTEGER,
                     device_id INTEGER NOT NULL, hardid_index_in_line INTEGER NOT NULL,
                     os INTEGER NOT NULL);
CREATE TABLE settings(name TEXT PRIMARY KEY, value TEXT NOT NULL);
CREATE TABLE ven_vendors(ven TEXT PRIMARY KEY, vendor TEXT NOT NULL);
CREATE TABLE vid_vendors(vid TEXT PRIMARY KEY, vendor TEXT NOT NULL);
)sql";

}  // namespace tav
