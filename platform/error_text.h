// The system's message text for an error code (FormatMessage with
// FORMAT_MESSAGE_FROM_SYSTEM). Unknown codes give an empty text, as on Windows.
#pragma once

#include <cstdint>
#include <string>

namespace tav::platform {

std::string SystemErrorMessage(int32_t code);

}  // namespace tav::platform
