#include "net/install_ping.h"

#include <string>

#include "core/settings.h"
#include "core/settings_access.h"
#include "net/form_upload.h"
#include "net/http_request.h"
#include "net/service_hosts.h"
#include "platform/network_info.h"

namespace tav {

namespace {

std::string Setting(std::string_view name) {
  return RegReadString(kSettingsRoot, kSettingsKey, name);
}

// The partner name as the start-up read it, else the build, else the upgrade
// identifier.
std::string Identifier() {
  for (std::string id :
       {GetProductValues().ads_name_as_read, Setting("BuildID"), Setting("UpgradeID")}) {
    if (!id.empty())
      return id;
  }
  return "Unknown";
}

}  // namespace

void SendInstallStat() {
  if (!platform::GetInternetConnectedState() ||
      RegReadBool(kSettingsRoot, kSettingsKey, "InstallStat"))
    return;
  HttpRequestOptions options;
  // The identifier goes as it stands, without encoding.
  options.url =
      "http://" + ServiceHost() + "/rpc/sendinstall?partner=" + Identifier() + "&build=4.0";
  options.agent = kClientDefaultAgent;
  options.connect_timeout_ms = kInstallPingTimeoutMs;
  options.read_timeout_ms = kInstallPingTimeoutMs;
  HttpRequest request(options);
  const bool answered = request.Receive([](const char*, size_t) { return true; });
  if (answered && request.status() > 0 && request.status() < 400)
    RegWriteBool(kSettingsRoot, kSettingsKey, "InstallStat", true);
}

}  // namespace tav
