#include "platform/network_info.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>

#include <algorithm>
#include <cstdint>

#include "platform/linux/virtual_pc.h"

namespace tav::platform {

namespace {

// Host byte order, so that the sort follows the address numerically.
bool ParseIpv4(const std::string& text, uint32_t* address) {
  in_addr parsed{};
  if (inet_pton(AF_INET, text.c_str(), &parsed) != 1)
    return false;
  *address = ntohl(parsed.s_addr);
  return true;
}

std::string Ipv4Text(uint32_t address) {
  in_addr raw{};
  raw.s_addr = htonl(address);
  char text[INET_ADDRSTRLEN] = {};
  return inet_ntop(AF_INET, &raw, text, sizeof text) ? text : "";
}

// A profile may list the PC's addresses under "network": {"ip_addresses": [...]}.
bool ProfileAddresses(std::vector<uint32_t>* addresses) {
  const nlohmann::json& profile = vpc::VirtualPc::Current().profile();
  const auto network = profile.find("network");
  if (network == profile.end() || !network->is_object())
    return false;
  const auto list = network->find("ip_addresses");
  if (list == network->end() || !list->is_array())
    return false;
  for (const nlohmann::json& item : *list) {
    uint32_t address = 0;
    if (item.is_string() && ParseIpv4(item.get<std::string>(), &address)) {
      addresses->push_back(address);
    }
  }
  return true;
}

void HostAddresses(std::vector<uint32_t>* addresses) {
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0)
    return;
  for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
    if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET)
      continue;
    const auto* in = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
    addresses->push_back(ntohl(in->sin_addr.s_addr));
  }
  freeifaddrs(list);
}

}  // namespace

// A profile may take the PC offline with "network": {"online": false}.
bool GetInternetConnectedState() {
  const nlohmann::json& profile = vpc::VirtualPc::Current().profile();
  const auto network = profile.find("network");
  if (network == profile.end() || !network->is_object())
    return true;
  const auto online = network->find("online");
  return online == network->end() || !online->is_boolean() || online->get<bool>();
}

std::vector<std::string> GetIpv4Addresses() {
  std::vector<uint32_t> addresses;
  if (!ProfileAddresses(&addresses))
    HostAddresses(&addresses);
  std::sort(addresses.begin(), addresses.end());
  std::vector<std::string> texts;
  for (uint32_t address : addresses)
    texts.push_back(Ipv4Text(address));
  return texts;
}

}  // namespace tav::platform
