#include "tools/service/proxy_gate.h"

#include "tools/service/response_body.h"

namespace tav::service {

namespace {

std::string Base64(const std::string& text) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < text.size(); i += 3) {
    uint32_t chunk = static_cast<uint8_t>(text[i]) << 16;
    if (i + 1 < text.size())
      chunk |= static_cast<uint8_t>(text[i + 1]) << 8;
    if (i + 2 < text.size())
      chunk |= static_cast<uint8_t>(text[i + 2]);
    out += kDigits[(chunk >> 18) & 63];
    out += kDigits[(chunk >> 12) & 63];
    out += i + 1 < text.size() ? kDigits[(chunk >> 6) & 63] : '=';
    out += i + 2 < text.size() ? kDigits[chunk & 63] : '=';
  }
  return out;
}

bool StartsWithScheme(const std::string& target) {
  return target.compare(0, 7, "http://") == 0 || target.compare(0, 8, "https://") == 0;
}

// "http://host:port/a/b" gives "/a/b".
std::string RelativePath(const std::string& path) {
  const size_t authority = path.find("://") + 3;
  const size_t slash = path.find('/', authority);
  return slash == std::string::npos ? "/" : path.substr(slash);
}

}  // namespace

ProxyGate::ProxyGate(const std::string& login)
    : expected_authorization_(login.empty() ? "" : "Basic " + Base64(login)) {}

bool ProxyGate::IsProxied(const httplib::Request& req) {
  return StartsWithScheme(req.target);
}

bool ProxyGate::Pass(httplib::Request& req, httplib::Response& res) const {
  if (!expected_authorization_.empty() &&
      req.get_header_value("Proxy-Authorization") == expected_authorization_) {
    req.path = RelativePath(req.path);
    return true;
  }
  res.status = 407;
  res.set_header("Proxy-Authenticate", "Basic realm=\"tavrolin-service\"");
  SetTextBody(res, "<html><body>Proxy Authentication Required</body></html>", "text/html");
  return false;
}

}  // namespace tav::service
