// tavrolin-vpc reg OPERATION ...: the registry as Windows' reg.exe handles it.
#include <string>

#include "platform/text.h"
#include "platform/win_errors.h"
#include "tools/vpc/console.h"
#include "tools/vpc/reg_operations.h"
#include "tools/vpc/switches.h"

namespace tav::vpc_tool {

namespace {

struct Operation {
  const char* name;
  const char* usage;
};

constexpr Operation kOperations[] = {
    {"QUERY", "REG QUERY KeyName [/v ValueName | /ve] [/s]"},
    {"ADD", "REG ADD KeyName [/v ValueName | /ve] [/t Type] [/s Separator] [/d Data] [/f]"},
    {"DELETE", "REG DELETE KeyName [/v ValueName | /ve | /va] [/f]"},
    {"EXPORT", "REG EXPORT KeyName FileName [/y]"},
    {"IMPORT", "REG IMPORT FileName"},
};

constexpr const char* kKeyHelp =
    "\n  KeyName    ROOTKEY\\SubKey; ROOTKEY is HKLM, HKCU, HKCR or HKU (or the long name)\n"
    "  Type       REG_SZ, REG_MULTI_SZ, REG_EXPAND_SZ, REG_DWORD, REG_QWORD, REG_BINARY,\n"
    "             REG_NONE (REG_SZ when left out)\n"
    "  Separator  the character between the strings of a REG_MULTI_SZ (\\0 when left out)";

bool IsHelp(const Args& args) {
  return args.size() == 1 && IsSwitch(args[0], "?");
}

void PrintHelpHint(std::string_view operation) {
  const std::string command = operation.empty() ? "REG" : "REG " + ToUpperAscii(operation);
  PrintErrorLine("Type \"" + command + " /?\" for usage.");
}

}  // namespace

int RegSyntaxError(std::string_view operation) {
  PrintErrorLine("ERROR: Invalid syntax.");
  PrintHelpHint(operation);
  return 1;
}

int RegBadKeyName(std::string_view operation) {
  PrintErrorLine("ERROR: Invalid key name.");
  PrintHelpHint(operation);
  return 1;
}

int RegNotFound() {
  PrintErrorLine("ERROR: The system was unable to find the specified registry key or value.");
  return 1;
}

int RegFailure(int32_t code) {
  if (code == win_error::kFileNotFound)
    return RegNotFound();
  PrintErrorLine("ERROR: " + ErrorText(code));
  return 1;
}

void RegSucceeded() {
  PrintLine("The operation completed successfully.");
}

int RegHelp(std::string_view operation) {
  for (const Operation& op : kOperations) {
    if (operation.empty() || EqualsIgnoreCase(operation, op.name))
      PrintLine(op.usage);
  }
  PrintLine(kKeyHelp);
  return 0;
}

int RunReg(const Args& args, FileSide files) {
  if (IsHelp(args))
    return RegHelp("");
  if (args.empty())
    return RegSyntaxError("");
  const std::string operation = ToUpperAscii(args[0]);
  const Args rest(args.begin() + 1, args.end());
  if (operation == "QUERY")
    return IsHelp(rest) ? RegHelp(operation) : RegQuery(rest);
  if (operation == "ADD")
    return IsHelp(rest) ? RegHelp(operation) : RegAdd(rest);
  if (operation == "DELETE")
    return IsHelp(rest) ? RegHelp(operation) : RegDelete(rest);
  if (operation == "EXPORT")
    return IsHelp(rest) ? RegHelp(operation) : RegExport(rest, files);
  if (operation == "IMPORT")
    return IsHelp(rest) ? RegHelp(operation) : RegImport(rest, files);
  return RegSyntaxError("");
}

}  // namespace tav::vpc_tool
