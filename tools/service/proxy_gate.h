// The service standing in for a proxy: a request in absolute form ("GET
// http://host/path") came through it as a proxy. Without a proxy login every
// such request is answered 407; with one, a request carrying that login
// (Basic) is served like a direct one, and any other gets 407.
#pragma once

#include <httplib.h>

#include <string>

namespace tav::service {

class ProxyGate {
 public:
  // "user:password"; empty: no login is accepted.
  explicit ProxyGate(const std::string& login);

  static bool IsProxied(const httplib::Request& req);
  // For a proxied request: true when it may pass, its path then made
  // relative (so the routes and faults see "/path"); false when it was
  // answered 407.
  bool Pass(httplib::Request& req, httplib::Response& res) const;

 private:
  std::string expected_authorization_;
};

}  // namespace tav::service
