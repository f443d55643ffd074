#include "platform/error_text.h"

#include <unordered_map>

namespace tav::platform {

// The texts of Windows' system message table for the codes the program
// meets, with the line break FormatMessage ends them with.
std::string SystemErrorMessage(int32_t code) {
  static const std::unordered_map<uint32_t, const char*> kMessages = {
      {0, "The operation completed successfully."},
      {1, "Incorrect function."},
      {2, "The system cannot find the file specified."},
      {3, "The system cannot find the path specified."},
      {4, "The system cannot open the file."},
      {5, "Access is denied."},
      {6, "The handle is invalid."},
      {8, "Not enough storage is available to process this command."},
      {13, "The data is invalid."},
      {18, "There are no more files."},
      {29, "The system cannot write to the specified device."},
      {30, "The system cannot read from the specified device."},
      {32, "The process cannot access the file because it is being used by another process."},
      {33, "The process cannot access the file because another process has locked a portion "
           "of the file."},
      {38, "Reached the end of the file."},
      {50, "The request is not supported."},
      {80, "The file exists."},
      {87, "The parameter is incorrect."},
      {112, "There is not enough space on the disk."},
      {122, "The data area passed to a system call is too small."},
      {123, "The filename, directory name, or volume label syntax is incorrect."},
      {145, "The directory is not empty."},
      {161, "The specified path is invalid."},
      {183, "Cannot create a file when that file already exists."},
      {193, "%1 is not a valid Win32 application."},
      {203, "The system could not find the environment option that was entered."},
      {234, "More data is available."},
      {259, "No more data is available."},
      {267, "The directory name is invalid."},
      {1018, "Illegal operation attempted on a registry key that has been marked for deletion."},
      {1168, "Element not found."},
      {1300, "Not all privileges or groups referenced are assigned to the caller."},
      {1313, "A specified privilege does not exist."},
      {1314, "A required privilege is not held by the client."},
      {1400, "Invalid window handle."},
      {1460, "This operation returned because the timeout period expired."},
      {0x80004005u, "Unspecified error"},
      {0x80070005u, "Access is denied."},
  };
  const auto it = kMessages.find(static_cast<uint32_t>(code));
  if (it == kMessages.end()) return {};
  return std::string(it->second) + "\r\n";
}

}  // namespace tav::platform
