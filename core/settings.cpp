#include "core/settings.h"

#include "core/database_date.h"
#include "core/folders.h"
#include "core/format_settings.h"
#include "core/settings_access.h"

namespace tav {

namespace {

ProductValues g_product;
RunningSettings g_running;

std::string ReadString(std::string_view name) {
  return RegReadString(kSettingsRoot, kSettingsKey, name);
}
int ReadInteger(std::string_view name) {
  return RegReadInteger(kSettingsRoot, kSettingsKey, name);
}
bool ReadBool(std::string_view name) {
  return RegReadBool(kSettingsRoot, kSettingsKey, name);
}
DateTime ReadDate(std::string_view name) {
  return RegReadDate(kSettingsRoot, kSettingsKey, name);
}

std::string ReadStringOr(std::string_view name, std::string_view fallback) {
  return RegValueExists(kSettingsRoot, kSettingsKey, name) ? ReadString(name)
                                                           : std::string(fallback);
}

bool ReadBoolOr(std::string_view name, bool fallback) {
  return RegValueExists(kSettingsRoot, kSettingsKey, name) ? ReadBool(name) : fallback;
}

void WriteString(std::string_view name, std::string_view value) {
  RegWriteString(kSettingsRoot, kSettingsKey, name, value);
}
void WriteInteger(std::string_view name, int value) {
  RegWriteInteger(kSettingsRoot, kSettingsKey, name, value);
}
void WriteBool(std::string_view name, bool value) {
  RegWriteBool(kSettingsRoot, kSettingsKey, name, value);
}
void WriteDate(std::string_view name, DateTime value) {
  RegWriteDate(kSettingsRoot, kSettingsKey, name, value);
}

void WriteFirstRunDefaults() {
  const Folders& f = GetFolders();
  const DateTime now = Now();
  WriteInteger("AppStart", 1);
  if (!RegValueExists(kSettingsRoot, kSettingsKey, "Language"))
    WriteInteger("Language", 1);
  WriteString("InstallationDate", DateToStr(now, WorkFileFormatSettings()));
  WriteDate("DatabaseDate", DatabaseDate());
  WriteDate("LastDatabaseCheck", now);
  WriteDate("LastUpdate", now);
  WriteBool("ForceUpdate", false);
  WriteBool("ShowUpdateWindow", false);
  WriteInteger("UpdateWindowShown", 0);
  WriteString("BackupPath", f.default_backup);
  WriteString("DownloadPath", f.download);
  WriteInteger("nDownloads", 3);
  WriteBool("InstallStat", false);
  WriteBool("StartWithWindows", false);
  WriteBool("TrayNotification", true);
  WriteBool("ShowRebootMessage", true);
  WriteBool("ShowSRPMessage", true);
  WriteBool("ShowAlertMessages", true);
  WriteBool("s_Enable", false);
  WriteInteger("s_Mode", 0);
  WriteDate("s_Time", now);
  WriteBool("s_SmartScan", true);
  WriteInteger("s_SmartMode", 0);
  WriteBool("s_SmartExec", false);
  WriteDate("s_SmartDate", now - 1.0);
  WriteBool("UseProxy", false);
  WriteString("ProxyAddress", "");
  WriteString("ProxyPort", "");
  WriteString("ProxyLogin", "");
  WriteString("ProxyPassword", "");
}

}  // namespace

void LoadProductValues() {
  ProductValues& p = g_product;
  p.home_page_url = ReadStringOr("HomePageURL", "http://www.tavrolin.com/");
  p.after_install_url =
      ReadStringOr("AfterInstallURL", "http://www.tavrolin.com/rw/thank-you?pd=tavrolin");
  p.after_install_url_hidden = ReadBoolOr("AfterInstallURLHidden", true);
  p.support_url = ReadStringOr("SupportURL", "http://www.tavrolin.com/support");
  p.uninstall_url = ReadString("UninstallURL");
  p.ads_download_url = ReadString("AdsDownloadURL");
  p.ads_buy_now_url = ReadString("AdsBuyNowURL");
  p.ads_download_url2 = ReadString("AdsDownloadURL2");
  p.ads_buy_now_url2 = ReadString("AdsBuyNowURL2");
  p.use_ads = ReadBool("UseAds");
  if (p.ads_download_url.empty() && p.ads_download_url2.empty())
    p.use_ads = false;
  p.ads_name_as_read = ReadStringOr("AdsName", "Tavrolin");
  p.ads_name = p.ads_name_as_read.empty() ? "UNKNOWN" : p.ads_name_as_read;
}

const ProductValues& GetProductValues() {
  return g_product;
}

RunningSettings& GetRunningSettings() {
  return g_running;
}

void RunStartupSettingsStep() {
  RunningSettings& s = g_running;
  const int app_start = ReadInteger("AppStart");
  if (app_start > 0) {
    s.run_counter = app_start + 1;
  } else {
    s.run_counter = 1;
    WriteFirstRunDefaults();
  }
  WriteInteger("AppStart", s.run_counter);

  Folders& f = GetFolders();
  s.last_update = ReadDate("LastUpdate");
  if (const std::string backup = ReadString("BackupPath"); !backup.empty())
    f.backup = backup;
  if (const std::string download = ReadString("DownloadPath"); !download.empty()) {
    f.download = download;
  }
  if (const int n = ReadInteger("nDownloads"); n != 0)
    s.n_downloads = n;
  s.use_proxy = ReadBool("UseProxy");
  s.proxy_address = ReadString("ProxyAddress");
  s.proxy_port = ReadString("ProxyPort");
  s.proxy_login = ReadString("ProxyLogin");
  s.proxy_password = ReadString("ProxyPassword");
  s.show_alert_messages = ReadBool("ShowAlertMessages");
  s.show_reboot_message = ReadBool("ShowRebootMessage");
  s.tray_notification = ReadBool("TrayNotification");
  s.start_with_windows = ReadBool("StartWithWindows");
  s.s_enable = ReadBool("s_Enable");
  s.s_time = ReadDate("s_Time");
  s.s_mode = ReadInteger("s_Mode");
  s.s_smart_scan = ReadBool("s_SmartScan");
  s.s_smart_mode = ReadInteger("s_SmartMode");
}

}  // namespace tav
