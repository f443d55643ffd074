// Driver versions: the inbox test and the "less than" of the matching.
#pragma once

#include <string_view>

namespace tav {

// The provider is exactly MICROSOFT and the version starts with one of the
// inbox prefixes of the running OS (6.1.7601. and others on Windows 7).
bool IsInboxDriver(std::string_view version, std::string_view provider);

// a < b: false when either is empty or both are the same text; true when a is
// an inbox version of the provider; otherwise the first differing part of the
// dot-separated numbers decides (missing and non-numeric parts count as 0).
bool VersionLess(std::string_view a, std::string_view b, std::string_view provider);

// The parts compared as VersionLess does, without the inbox rule: -1, 0, 1.
int CompareVersionParts(std::string_view a, std::string_view b);

}  // namespace tav
