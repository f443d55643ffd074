// Zip and 7z archives: extraction of driver packages, the driver database
// and backups; zip writing for debug archives, backups and the work-file
// archive.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

// Called once with is_total true and the total size in bytes, then with the
// bytes done so far; returning false stops the extraction (which then fails).
using ArchiveProgress = std::function<bool(bool is_total, uint64_t value)>;

// Extracts every item of a ".zip" or ".7z" archive (extension compared
// without regard to case) under dest, creating dest (one level). Another
// extension extracts nothing and succeeds. A failed extraction is retried
// once, after deleting dest unless the archive lies directly in it; when the
// retry fails too, the failure is logged and std::runtime_error is thrown.
// Items that would land outside dest (absolute paths, "..", links leading
// out) are refused and fail the extraction.
bool UnZipFile(std::string_view archive, std::string_view dest, const ArchiveProgress& progress,
               bool is_retry = false);

// Zips the listed files that exist, each under its bare name, at compression
// level 5. False, leaving an existing archive alone, when none exists.
bool ZipFile(const std::vector<std::string>& files, std::string_view archive);

// Zips a folder with everything in it under a top folder named as its last
// component. False when the folder does not exist.
bool ZipDirectory(std::string_view folder, std::string_view archive);

}  // namespace tav
