// Options shared by the commands that write databases: the architecture,
// the OS code and the database date.
#pragma once

#include <string>
#include <vector>

namespace tav::dbtool {

bool ParseArch(const std::string& text, bool* is_64bit);
bool ParseOsCode(const std::string& text, int* os_code);
// A real calendar date "yyyy-mm-dd".
bool IsDatabaseDate(const std::string& text);
std::string Today();
// "Drivers64.db" or "Drivers32.db", as the program looks for it.
std::string DatabaseFileNameFor(bool is_64bit);

}  // namespace tav::dbtool
