// The whole content of a file, read through the platform's file API with
// sharing allowed, as a writer may still hold it.
#pragma once

#include <string>
#include <string_view>

namespace tav {

// False when the file cannot be opened or read to its end; bytes then stays
// empty.
bool ReadFileBytes(std::string_view path, std::string* bytes);

}  // namespace tav
