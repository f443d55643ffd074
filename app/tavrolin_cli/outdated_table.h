// The outdated drivers of the last scan ("Scan.ini") as a table on stdout.
#pragma once

namespace tav::cli {

void PrintOutdatedDrivers();

}  // namespace tav::cli
