#include "net/service_hosts.h"

#include <mutex>
#include <utility>
#include <vector>

#include "core/settings.h"
#include "core/settings_access.h"
#include "core/text_utils.h"
#include "platform/text.h"

namespace tav {

namespace {

using FallbackTable = std::vector<std::pair<std::string, std::string>>;

struct Hosts {
  bool loaded = false;
  std::string service;
  std::string download;
  FallbackTable fallbacks;
};

std::mutex g_mutex;
Hosts g_hosts;

std::string ReadOr(std::string_view name, std::string_view fallback) {
  const std::string value = RegReadString(kSettingsRoot, kSettingsKey, name);
  return value.empty() ? std::string(fallback) : value;
}

FallbackTable ParseFallbacks(std::string_view text) {
  FallbackTable table;
  for (const std::string& row : Split(text, ';')) {
    const size_t equals = row.find('=');
    if (equals == std::string::npos)
      continue;
    const std::string from = Trim(row.substr(0, equals));
    const std::string to = Trim(row.substr(equals + 1));
    if (!from.empty() && !to.empty())
      table.emplace_back(ToLowerAscii(from), to);
  }
  return table;
}

FallbackTable BuiltInFallbacks(const std::string& service, const std::string& download) {
  return {{ToLowerAscii(service), std::string(kFirstServiceAddress)},
          {ToLowerAscii(kFirstServiceAddress), std::string(kSecondServiceAddress)},
          {ToLowerAscii(download), std::string(kDownloadAddress)}};
}

Hosts ReadHosts() {
  Hosts hosts;
  hosts.loaded = true;
  hosts.service = ReadOr("ServiceHost", kDefaultServiceHost);
  hosts.download = ReadOr("DownloadHost", kDefaultDownloadHost);
  hosts.fallbacks =
      RegValueExists(kSettingsRoot, kSettingsKey, "HostFallbacks")
          ? ParseFallbacks(RegReadString(kSettingsRoot, kSettingsKey, "HostFallbacks"))
          : BuiltInFallbacks(hosts.service, hosts.download);
  return hosts;
}

// Loaded on first use too, so a caller that runs before the program entry
// step still gets the configured hosts.
const Hosts& Loaded() {
  if (!g_hosts.loaded)
    g_hosts = ReadHosts();
  return g_hosts;
}

}  // namespace

void LoadServiceHosts() {
  Hosts hosts = ReadHosts();
  std::lock_guard<std::mutex> lock(g_mutex);
  g_hosts = std::move(hosts);
}

std::string ServiceHost() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return Loaded().service;
}

std::string DownloadHost() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return Loaded().download;
}

std::string FallbackHost(std::string_view host) {
  const std::string key = ToLowerAscii(host);
  std::lock_guard<std::mutex> lock(g_mutex);
  for (const auto& [from, to] : Loaded().fallbacks) {
    if (from == key)
      return to;
  }
  return {};
}

}  // namespace tav
