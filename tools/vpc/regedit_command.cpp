// The PC's regedit.exe from the command line: "regedit [/s] FILE..." imports
// registry files, "regedit /e FILE [KEY]" exports a key (or everything).
// Files are paths on the PC.
#include <string>

#include "platform/linux/reg_file.h"
#include "platform/message_box.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "tools/vpc/commands.h"
#include "tools/vpc/console.h"
#include "tools/vpc/host_file.h"
#include "tools/vpc/switches.h"

namespace tav::vpc_tool {

using platform::RegRoot;

namespace {

constexpr const char* kCaption = "Registry Editor";

// A failure shows as regedit's message box, and on stderr for the log.
int Fail(const std::string& message, bool silent) {
  PrintErrorLine("ERROR: " + message);
  if (!silent)
    platform::MessageBox(message, kCaption, platform::mb::kOk | platform::mb::kIconError);
  return 1;
}

bool ExportAll(std::string* text, std::string* error) {
  // The order of regedit's tree.
  constexpr RegRoot kRoots[] = {RegRoot::kClassesRoot, RegRoot::kCurrentUser,
                                RegRoot::kLocalMachine, RegRoot::kUsers};
  for (RegRoot root : kRoots) {
    std::string part;
    if (!platform::vpc::ExportRegText(root, "", &part, error))
      return false;
    // One header for the whole file.
    *text += text->empty() ? part : part.substr(part.find("\r\n\r\n") + 4);
  }
  return true;
}

bool ExportKey(const std::string& key, std::string* text, std::string* error) {
  if (key.empty())
    return ExportAll(text, error);
  const size_t slash = key.find('\\');
  RegRoot root;
  if (!platform::ParseRegRoot(key.substr(0, slash), &root)) {
    *error = "Cannot export " + key + ": Error opening the key.";
    return false;
  }
  const std::string path = slash == std::string::npos ? "" : key.substr(slash + 1);
  if (!platform::vpc::ExportRegText(root, path, text, error)) {
    *error = "Cannot export " + key + ": Error opening the key.";
    return false;
  }
  return true;
}

int Export(const Args& args, bool silent) {
  if (args.empty() || args.size() > 2)
    return Fail("/e needs a file name and an optional key.", silent);
  std::string text, error;
  if (!ExportKey(args.size() == 2 ? args[1] : "", &text, &error))
    return Fail(error, silent);
  const std::string file = HostPathOf(args[0], FileSide::kMachine);
  if (file.empty() || !WriteHostFile(file, platform::vpc::EncodeRegFile(text))) {
    return Fail("Cannot export " + args[0] + ": Error writing the file.", silent);
  }
  return 0;
}

int Import(const std::string& file_arg, bool silent) {
  if (!silent &&
      platform::MessageBox("Adding information can unintentionally change or delete values and "
                           "cause components to stop working correctly. If you do not trust the "
                           "source of this information in " +
                               file_arg +
                               ", do not add it to the registry.\n\nAre you sure you want to "
                               "continue?",
                           kCaption, platform::mb::kYesNo | platform::mb::kIconWarning) !=
          platform::mb_result::kYes) {
    return 0;
  }
  const std::string file = HostPathOf(file_arg, FileSide::kMachine);
  std::string bytes, error;
  if (file.empty() || !ReadHostFile(file, &bytes)) {
    return Fail("Cannot import " + file_arg + ": Error opening the file.", silent);
  }
  if (!platform::vpc::ImportRegText(platform::vpc::DecodeRegFile(bytes), &error)) {
    return Fail("Cannot import " + file_arg + ": " + error, silent);
  }
  if (!silent) {
    platform::MessageBox("The keys and values contained in " + file_arg +
                             " have been successfully added to the registry.",
                         kCaption, platform::mb::kOk | platform::mb::kIconInformation);
  }
  return 0;
}

}  // namespace

int RunRegedit(const Args& args) {
  bool silent = false;
  size_t i = 0;
  for (; i < args.size() && IsSwitch(args[i]); ++i) {
    if (IsSwitch(args[i], "s")) {
      silent = true;
    } else if (IsSwitch(args[i], "e")) {
      return Export(Args(args.begin() + static_cast<long>(i) + 1, args.end()), silent);
    } else {
      return Fail("Unknown option " + args[i] + ".", silent);
    }
  }
  if (i >= args.size())
    return Fail("No registry file given.", silent);
  for (; i < args.size(); ++i) {
    const int rc = Import(args[i], silent);
    if (rc != 0)
      return rc;
  }
  return 0;
}

}  // namespace tav::vpc_tool
