// The files an installed driver's INF placed on the PC: from the INF and
// install section a device's class key names, the section's CopyFiles lists
// resolved through DestinationDirs, and the Include/Needs sections of other
// INFs, followed the same way. The install verification fingerprints them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tav {

struct InfFileList {
  std::vector<std::string> files;  // full paths, first found first, each once
  std::string first_inf_path;      // the INF the analysis started from
};

// An empty INF name or section gives an empty list. Nothing is logged.
InfFileList ListInfFiles(std::string_view inf_name, std::string_view section);

// A name without "\" as Windows folder + "inf\" + name, else + "system32\" +
// name, whichever exists first (empty when neither); a path as it is.
std::string LocateInf(std::string_view inf_name);

// The file names of a copy section as the INF text lists them.
std::vector<std::string> CopySectionFileNames(const std::vector<std::string>& text_lines,
                                              std::string_view section);

// A CopyFiles, Include or Needs list: entries separated by "," or blanks,
// double quotes grouping ("" inside them is one quote).
std::vector<std::string> SplitInfList(std::string_view list);

}  // namespace tav
