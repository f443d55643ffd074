// File-name patterns as FindFirstFile matches them: "*" and "?" with the
// DOS rules for dots ("*.*" also matches "README", "*." matches only names
// without an extension, "a?" also matches "a"). Letter case is ignored.
#pragma once

#include <string_view>

namespace tav::platform::vpc {

bool MatchesFilePattern(std::string_view pattern, std::string_view name);

}  // namespace tav::platform::vpc
