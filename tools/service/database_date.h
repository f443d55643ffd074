// The date a driver database carries (its "settings" row "date", as
// "yyyy-mm-dd"), read from the packed "Drivers.7z" that holds "Drivers.db".
#pragma once

#include <string>

namespace tav::service {

// Empty with a reason when the archive holds no readable database or the
// database no date.
std::string ReadArchivedDatabaseDate(const std::string& archive_path, std::string* error);

}  // namespace tav::service
