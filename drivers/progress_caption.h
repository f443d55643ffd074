// The caption of a download's progress bar for the bytes received so far.
#pragma once

#include <cstdint>
#include <string>

namespace tav {

// "%d KB" (whole kilobytes) up to 1,048,576 bytes, "%8.2f MB" above, so
// short megabyte values carry leading spaces: 1,048,577 bytes show
// "    1.00 MB".
std::string ProgressCaption(int64_t bytes);

}  // namespace tav
