// The installation records a scan leaves for every offered package: the
// package's ".pre" file (the scan's sections of its devices, frozen as the
// state before an installation) and its ".status" file.
#pragma once

#include <string>
#include <string_view>

namespace tav {

class TMemIniFile;

// Right after Scan.ini and DevicesPlus.ini are written. Packages waiting for
// their check after a restart keep their ".pre" untouched.
void CreateInstallSnapshots();
// The same from the Scan.ini and DevicesPlus.ini the scan has just saved,
// still in memory: a large PC's DevicesPlus.ini need not be read back.
void CreateInstallSnapshots(const TMemIniFile& scan, const TMemIniFile& plus);

// A work file saved with one retry: on failure wait 1000 ms, delete the old
// file (renamed aside when locked) and save again.
bool SaveWithRetry(const TMemIniFile& ini,
                   std::string_view routine,
                   std::string_view first_failure,
                   std::string_view delete_failure,
                   std::string_view second_failure);

}  // namespace tav
