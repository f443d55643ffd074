// Typed access to registry values. Reads open the key read-only and never
// create it; they never fail: a missing key or value, or a value of another
// type, reads as absent (empty text, 0, false, date 0). A read text is
// trimmed; texts accept REG_SZ and REG_EXPAND_SZ, integers and booleans
// REG_DWORD, dates REG_BINARY (an 8-byte double). Writes create the key when
// missing; a write that cannot open or create it is skipped without notice.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/date_time.h"
#include "platform/registry.h"

namespace tav {

std::string RegReadString(platform::RegRoot root, std::string_view key, std::string_view name);
int32_t RegReadInteger(platform::RegRoot root, std::string_view key, std::string_view name);
bool RegReadBool(platform::RegRoot root, std::string_view key, std::string_view name);
DateTime RegReadDate(platform::RegRoot root, std::string_view key, std::string_view name);

void RegWriteString(platform::RegRoot root, std::string_view key, std::string_view name,
                    std::string_view value);
void RegWriteInteger(platform::RegRoot root, std::string_view key, std::string_view name,
                     int32_t value);
void RegWriteBool(platform::RegRoot root, std::string_view key, std::string_view name, bool value);
void RegWriteDate(platform::RegRoot root, std::string_view key, std::string_view name,
                  DateTime value);

bool RegValueExists(platform::RegRoot root, std::string_view key, std::string_view name);
void RegDeleteValue(platform::RegRoot root, std::string_view key, std::string_view name);
bool RegKeyExists(platform::RegRoot root, std::string_view key);

}  // namespace tav
