#include "core/uninstall_cleanup.h"

#include "core/file_utils.h"
#include "core/folders.h"
#include "core/inter_process_names.h"
#include "core/settings.h"
#include "core/settings_access.h"
#include "core/text_utils.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/named_mutex.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/shell_folders.h"
#include "platform/system_info.h"
#include "platform/window_messages.h"

namespace tav {

namespace {

// The search stops at the first plain file found.
bool HoldsFiles(const std::string& folder) {
  for (const char* sub : {"", "Backup\\", "Drivers\\"}) {
    std::vector<platform::FindData> entries;
    platform::FindFiles(folder + sub + "*.*", &entries);
    for (const platform::FindData& e : entries) {
      if (!(e.attributes & platform::file_attr::kDirectory)) return true;
    }
  }
  return false;
}

void CloseTrayProgram() {
  const platform::WindowHandle tray = platform::FindWindow(kTrayWindowClass, kTrayWindowTitle);
  if (tray == 0) return;
  platform::PostMessage(tray, platform::RegisterWindowMessage(kMsgTrayClose.name),
                        kMsgTrayClose.wparam, 0);
  for (int waited = 0; waited < 5000 && platform::IsWindow(tray); waited += 100) {
    platform::Sleep(100);
  }
}

void CloseRunningInstance() {
  const platform::WindowHandle main = platform::FindWindow("", kMainWindowTitle);
  if (main == 0) return;
  platform::PostMessage(main, platform::RegisterWindowMessage(kMsgUninstall.name),
                        kMsgUninstall.wparam, 0);
  platform::Sleep(500);
}

void RemoveBackupFolder(const std::string& backup_path) {
  if (backup_path.find("Tavrolin") == std::string::npos) return;
  const std::string folder = IncludeTrailingBackslash(backup_path);
  if (!platform::DirectoryExists(folder)) return;
  if (HoldsFiles(folder) &&
      platform::MessageBox("Are you sure you wish to delete all backups?", "Confirmation",
                           platform::mb::kIconQuestion | platform::mb::kYesNo) ==
          platform::mb_result::kNo) {
    return;
  }
  DeleteFolderRecursive(folder);
}

}  // namespace

void UninstallCleanup() {
  if (!RegKeyExists(kSettingsRoot, kSettingsKey)) return;
  RegDeleteValue(platform::RegRoot::kCurrentUser, "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
                 "Tavrolin");
  const std::string backup_path = RegReadString(kSettingsRoot, kSettingsKey, "BackupPath");
  platform::OsVersionInfo version;
  if (platform::GetVersionInfo(&version) && version.major > 5) {
    platform::ShellExecute("open", "Schtasks", " /Delete /TN \"Tavrolin Schedule\" /F", "",
                           platform::ShowWindow::kHidden);
  }
  CloseTrayProgram();
  CloseRunningInstance();
  platform::RegistryKey software;
  if (software.Open(kSettingsRoot, "SOFTWARE", platform::RegAccess::kAll) == 0) {
    software.DeleteTree("Tavrolin");
  }
  std::string app_data;
  if (platform::GetShellFolder(platform::csidl::kAppData | platform::csidl::kFlagDontVerify,
                               &app_data)) {
    const std::string work = IncludeTrailingBackslash(app_data) + std::string(kProductName) + "\\";
    if (platform::DirectoryExists(work)) DeleteFolderRecursive(work);
  }
  if (!backup_path.empty()) RemoveBackupFolder(backup_path);
}

void RunUninstallMode() {
  if (platform::NamedMutex::Exists(kUninstallMutex)) return;
  // Held until the process ends.
  static platform::NamedMutex mutex;
  mutex.Create(kUninstallMutex);
  UninstallCleanup();
}

}  // namespace tav
