// Folders, the OS code and the parameters the core keeps for the process.
// Every folder value ends with "\".
#pragma once

#include <string>
#include <string_view>

#include "core/format_settings.h"

namespace tav {

// The folders resolved by the fixed-folder step and by InitParams.
struct Folders {
  std::string program;          // folder of the running executable
  std::string windows;          // Windows directory
  std::string system;           // system directory
  std::string windows_device;   // Windows folder with its drive as a device path
  std::string program_files;    // program-files shell folder
  std::string documents;        // the user's documents
  std::string work;             // application data + "Tavrolin\"
  std::string default_backup;   // documents + "Tavrolin\Backup\"
  std::string download;         // documents + "Tavrolin\Drivers\", or DownloadPath
  std::string backup;           // BackupPath, or the default backup folder
  std::string core_work;        // set by InitParams
  std::string core_drivers;     // set by InitParams
};

// The process's folders (read and changed only on the main thread and by
// the core start; workers read them after CoreInit).
Folders& GetFolders();

inline constexpr std::string_view kProductName = "Tavrolin";

// The fixed-folder step: program, Windows, system, program-files and
// documents folders, the work folder (created with its parents), the
// default backup folder and the download folder.
void ResolveFixedFolders();

// InitParams: OS code, format settings, the core work and drivers folders
// (the development layout when the project's main source file lies beside
// the program), system and Windows folders, the device-form Windows folder,
// the send-statistics switch.
void InitParams(std::string_view product_name, std::string_view work_override,
                std::string_view drivers_override, bool send_statistics);

// The OS code: 5, 6, 7, 8, 81 or 10, else the major version; 5 when the
// version information is unavailable.
int GetOsCode();
int OsCodeFromVersion(bool available, uint32_t major, uint32_t minor, uint32_t build);
// The 32-bit program runs on 64-bit Windows (computed once).
bool IsWow64();

// The work-file format settings ("mm-dd-yyyy", "-") set by InitParams.
const TFormatSettings& WorkFileFormat();

const std::string& ProductName();
bool SendStatistics();

}  // namespace tav
