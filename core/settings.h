// The program's settings key HKEY_CURRENT_USER\SOFTWARE\Tavrolin: the
// product values read once at program entry, and the values of the running
// program with their first-run defaults (the start-up settings step).
#pragma once

#include <string>
#include <string_view>

#include "core/date_time.h"
#include "platform/registry.h"

namespace tav {

inline constexpr platform::RegRoot kSettingsRoot = platform::RegRoot::kCurrentUser;
inline constexpr std::string_view kSettingsKey = "SOFTWARE\\Tavrolin";

// Read at program entry, never written by the program.
struct ProductValues {
  std::string home_page_url;
  std::string after_install_url;
  bool after_install_url_hidden = true;
  std::string support_url;
  std::string uninstall_url;
  std::string ads_download_url, ads_buy_now_url, ads_download_url2, ads_buy_now_url2;
  bool use_ads = false;
  std::string ads_name;          // the partner name sent to the service; never empty
  std::string ads_name_as_read;  // the same before an empty one became "UNKNOWN"
};

void LoadProductValues();
const ProductValues& GetProductValues();

// The values the other parts read after the start-up settings step.
struct RunningSettings {
  int run_counter = 0;
  DateTime last_update = 0;
  int n_downloads = 3;
  bool use_proxy = false;
  std::string proxy_address, proxy_port, proxy_login, proxy_password;
  bool show_alert_messages = true;
  bool show_reboot_message = true;
  bool tray_notification = true;
  bool start_with_windows = false;
  bool s_enable = false;
  DateTime s_time = 0;
  int s_mode = 0;
  bool s_smart_scan = true;
  int s_smart_mode = 0;
};

RunningSettings& GetRunningSettings();

// First run (AppStart missing or not above 0) writes every default in table
// order; every run then counts itself in AppStart and reads the values.
void RunStartupSettingsStep();

}  // namespace tav
