// The operations of the PC's reg.exe, each given the arguments after its
// name, and the answers they share.
#pragma once

#include <cstdint>
#include <string_view>

#include "tools/vpc/commands.h"

namespace tav::vpc_tool {

int RegQuery(const Args& args);
int RegAdd(const Args& args);
int RegDelete(const Args& args);
int RegExport(const Args& args, FileSide files);
int RegImport(const Args& args, FileSide files);

// "ERROR: Invalid syntax." and where to find help; exit code 1.
int RegSyntaxError(std::string_view operation);
// "ERROR: Invalid key name."; exit code 1.
int RegBadKeyName(std::string_view operation);
// The registry has no such key or value; exit code 1.
int RegNotFound();
// "ERROR: " and the system's text of a registry error; exit code 1.
int RegFailure(int32_t code);
void RegSucceeded();
// The operation's usage, for "/?" (exit code 0).
int RegHelp(std::string_view operation);

}  // namespace tav::vpc_tool
