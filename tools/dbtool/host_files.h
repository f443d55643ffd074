// Files of this machine (the tool works on host paths, not on a virtual PC).
#pragma once

#include <string>

namespace tav::dbtool {

bool ReadHostFile(const std::string& path, std::string* bytes);
// Creates the file's folders; false when it cannot be written.
bool WriteHostFile(const std::string& path, const std::string& bytes);

}  // namespace tav::dbtool
