#include "net/proxy_settings.h"

#include "core/settings.h"
#include "core/settings_access.h"

namespace tav {

ProxySettings ReadProxySettings() {
  ProxySettings proxy;
  proxy.use_proxy = RegReadBool(kSettingsRoot, kSettingsKey, "UseProxy");
  proxy.address = RegReadString(kSettingsRoot, kSettingsKey, "ProxyAddress");
  proxy.port = RegReadString(kSettingsRoot, kSettingsKey, "ProxyPort");
  proxy.login = RegReadString(kSettingsRoot, kSettingsKey, "ProxyLogin");
  proxy.password = RegReadString(kSettingsRoot, kSettingsKey, "ProxyPassword");
  return proxy;
}

}  // namespace tav
