// The driver snapshot: once per installation, on an English system, the first
// scan collects the devices whose installed driver disagrees with the
// database into "Snapshot.ini" for the service. The collector runs on the
// generate thread; the upload itself is done by whoever registered the
// uploader (the network layer).
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "core/date_time.h"
#include "matching/driver_candidate.h"

namespace tav {

// Takes the path of a saved "Snapshot.ini" and sends it (on its own thread).
using SnapshotUploader = std::function<void(const std::string& path)>;
void SetSnapshotUploader(SnapshotUploader uploader);

// Whether a snapshot is wanted in this process (decided once): no marker
// "snapshot_send" and no "Snapshot.ini" in the core work folder, and a user
// interface language whose name starts with "English".
bool SnapshotWanted();

void BeginSnapshot(std::string_view database_date);
void AddSnapshotItems(const TDriverList& candidates, std::string_view installed_version,
                      std::string_view installed_provider, DateTime installed_date);
// candidate is null for a device the database does not know ("unknown").
void AddSnapshotItem(const TDriverItem* candidate, std::string_view installed_version,
                     std::string_view installed_provider, std::string_view hardware_id,
                     std::string_view group, std::string_view title, std::string_view request_type,
                     DateTime installed_date);
// Saves and sends when anything was collected, writes the marker.
void EndSnapshot();

// Forgets the decision and the collected items (tests).
void ResetSnapshotCollector();

}  // namespace tav
