#include "net/local_addresses.h"

#include <mutex>
#include <optional>

#include "core/text_utils.h"
#include "platform/network_info.h"

namespace tav {

namespace {
std::mutex g_mutex;
std::optional<std::string> g_list;
}  // namespace

std::string FormatLocalAddressList(const std::vector<std::string>& addresses) {
  std::string text;
  for (const std::string& address : addresses) {
    if (address == "127.0.0.1" || address == "0.0.0.0" || StartsWith(address, "192."))
      continue;
    text += address + " ";
  }
  return text;
}

std::string LocalAddressList() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_list)
    g_list = FormatLocalAddressList(platform::GetIpv4Addresses());
  return *g_list;
}

void ForgetLocalAddressList() {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_list.reset();
}

}  // namespace tav
