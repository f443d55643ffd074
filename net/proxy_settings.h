// The proxy both stacks use, from the settings key values UseProxy,
// ProxyAddress, ProxyPort, ProxyLogin and ProxyPassword. Read for every
// request, so a change on the settings page applies to the next one.
#pragma once

#include <string>

namespace tav {

struct ProxySettings {
  bool use_proxy = false;
  std::string address;
  std::string port;
  std::string login;
  std::string password;
};

ProxySettings ReadProxySettings();

}  // namespace tav
