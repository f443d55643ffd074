// Setting up a new virtual PC from its profile: folders of the drives, the
// system programs, the installed product and the first registry contents.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "platform/linux/virtual_pc.h"
#include "platform/registry.h"

namespace tav::platform::vpc {

bool ParseMachineFacts(const nlohmann::json& profile, MachineFacts* facts, std::string* error);
bool SetUpNewMachine(VirtualPc* pc, std::string* error);

// A registry value written in a profile: {"name": "X", "type": "REG_SZ",
// "data": "text"}; REG_DWORD/REG_QWORD take a number, REG_MULTI_SZ a list of
// texts, REG_BINARY a text of hexadecimal byte pairs.
bool RegValueFromJson(const nlohmann::json& j, std::string* name, RegValue* value,
                      std::string* error);
// Writes the keys of a profile's "registry" list.
bool ApplyRegistryList(VirtualPc* pc, const nlohmann::json& list, std::string* error);

}  // namespace tav::platform::vpc
