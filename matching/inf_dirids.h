// Destination directory IDs of an INF's DestinationDirs, resolved on this
// PC: 10 Windows, 11 system32, 12 system32\drivers, 50 system, 30 the
// Windows drive, 16384 and above a shell folder (the ID is the CSIDL with
// the do-not-verify flag). A 32-bit program on 64-bit Windows gets the
// 64-bit program-files folders for CSIDL 0x26 and 0x2B, as a 64-bit setup
// would. Other IDs give none.
#pragma once

#include <string>
#include <string_view>

namespace tav {

// The folder of a DIRID text such as "12": with its trailing "\" (30 gives
// only the drive, such as "C:"); empty when the ID gives no folder.
std::string ResolveDirId(std::string_view dirid);

// The Windows folder with its trailing "\".
std::string InfWindowsFolder();

}  // namespace tav
