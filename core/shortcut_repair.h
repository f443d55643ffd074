// The "/INSTALL" mode's repair of the home-page shortcut beside the program.
#pragma once

#include <string_view>

namespace tav {

// "HomePage.url" with at most two lines gets the lines "IconIndex=0" and
// "IconFile=" + the program's path; a longer one is left alone.
void RepairHomePageShortcut(std::string_view program_folder, std::string_view program_path);

}  // namespace tav
