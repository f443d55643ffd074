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

// The identifier goes as it stands, except for what cannot stand in a
// request line at all: spaces and control characters are percent-encoded,
// or the ping with such a name would fail at every start.
std::string QueryText(const std::string& id) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string text;
  for (const char c : id) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte == 0x7F) {
      text += '%';
      text += kHex[byte >> 4];
      text += kHex[byte & 0x0F];
    } else {
      text += c;
    }
  }
  return text;
}

}  // namespace

void SendInstallStat() {
  if (!platform::GetInternetConnectedState() ||
      RegReadBool(kSettingsRoot, kSettingsKey, "InstallStat"))
    return;
  HttpRequestOptions options;
  options.url = "http://" + ServiceHost() + "/rpc/sendinstall?partner=" + QueryText(Identifier()) +
                "&build=4.0";
  options.agent = kClientDefaultAgent;
  options.max_redirects = 0;
  options.connect_timeout_ms = kInstallPingTimeoutMs;
  options.read_timeout_ms = kInstallPingTimeoutMs;
  HttpRequest request(options);
  const bool answered = request.Receive([](const char*, size_t) { return true; });
  if (answered && request.failure() == HttpFailure::kNone && request.status() >= 200 &&
      request.status() < 300) {
    RegWriteBool(kSettingsRoot, kSettingsKey, "InstallStat", true);
  }
}

}  // namespace tav
