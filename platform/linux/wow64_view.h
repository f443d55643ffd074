// How the running process sees the virtual PC's files: the product is a
// 32-bit program, so on a 64-bit PC its System32 is redirected to SysWOW64
// (per thread, unless switched off). The PC's own tools see the files as
// they are.
#pragma once

#include <string>
#include <string_view>

namespace tav::platform::vpc {

// Whether this process is a 32-bit program under WOW64 (the default for the
// program on a 64-bit PC); the tools declare themselves native.
bool ProcessUnderWow64();
void SetProcessIsNative();

bool RedirectionDisabled();
void SetRedirectionDisabled(bool disabled);

// The path the process really reaches: System32 → SysWOW64 and Sysnative →
// System32 for a redirected thread; unchanged otherwise.
std::string ApplyRedirection(std::string_view full_windows_path);

}  // namespace tav::platform::vpc
