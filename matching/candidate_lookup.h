// Looking up the driver offers of a device's IDs in the driver database.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "matching/driver_candidate.h"
#include "matching/sqlite_database.h"

namespace tav {

// Appends the candidates of every ID of the list. full: the complete IDs
// (else their reduced forms, skipping IDs that have nothing to reduce);
// regular: the hardware IDs (else the compatible IDs). An ID text already in
// `seen` is not queried again, and every queried text is added to it; rows
// of one ID that repeat an earlier row (vendor, date, version, package,
// installer and MD5) are dropped. Without no_os_filter the rows are those of
// os_text.
void FindDriversByHID(SqliteDatabase& db, TDriverList* candidates, std::string_view id_list,
                      std::string_view os_text, std::vector<std::string>* seen, bool no_os_filter,
                      bool full, bool regular);

// The four lookups of a device, in their order: hardware IDs complete and
// reduced, compatible IDs complete and reduced.
TDriverList FindDeviceCandidates(SqliteDatabase& db, std::string_view regular_ids,
                                 std::string_view compatible_ids, std::string_view os_text,
                                 bool no_os_filter);

}  // namespace tav
