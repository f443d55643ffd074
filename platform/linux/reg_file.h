// Registry files (".reg") as the Windows registry editor writes and reads
// them: "Windows Registry Editor Version 5.00", keys in brackets, values as
// "name"="text", dword:, hex:, hex(N):, deletions with "-". Used by the
// virtual PC's reg and regedit programs.
#pragma once

#include <string>
#include <string_view>

#include "platform/registry.h"

namespace tav::platform::vpc {

// The export of a key with everything below it, as text (CR LF lines).
bool ExportRegText(RegRoot root, std::string_view path, std::string* text, std::string* error);
// Applies a registry file's text; stops at the first malformed line.
bool ImportRegText(std::string_view text, std::string* error);

// File bytes: UTF-16LE with a byte-order mark, as regedit saves; reading also
// takes UTF-8 and "REGEDIT4" files in the ANSI code page.
std::string EncodeRegFile(std::string_view text);
std::string DecodeRegFile(std::string_view bytes);

}  // namespace tav::platform::vpc
