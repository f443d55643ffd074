// The system's message text for an error code, without its trailing line
// break, blanks and full stop ("Access is denied").
#pragma once

#include <cstdint>
#include <string>

namespace tav {

std::string SysErrorMessage(int32_t code);

}  // namespace tav
