// The work files and logs zipped together, for crash reports, debug backups
// and the feedback form.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tav {

// Zips Devices.ini, DevicesPlus.ini, Scan.ini, Snapshot.ini, the four logs,
// then every *.dul, *.pre and *.status of the folder (the core work folder
// when empty) into folder + archive_name. The archive's path, or empty when
// none of the files exists.
std::string CreateWorkFileArchive(std::string_view folder, std::string_view archive_name);

// The file list of that archive, in its order (only the files that exist).
std::vector<std::string> WorkFileArchiveList(std::string_view folder);

}  // namespace tav
