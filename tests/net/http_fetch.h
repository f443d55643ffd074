// A plain HTTP request for the tests of the service, over libcurl, with
// every wait bounded and the headers and body kept.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace tav::testing {

struct FetchOptions {
  std::string method = "GET";  // GET, HEAD or POST
  std::vector<std::string> headers;
  std::string body;                                        // for POST
  std::vector<std::pair<std::string, std::string>> files;  // multipart parts: name, content
  std::string proxy;                                       // "host:port" or empty
  std::string proxy_login;                                 // "user:password"
  long timeout_ms = 10000;
};

struct FetchResult {
  int curl_code = -1;  // 0 when the transfer completed
  int status = 0;
  std::map<std::string, std::string> headers;  // names lower-cased
  std::string body;
  bool has(const std::string& name) const { return headers.count(name) > 0; }
};

FetchResult Fetch(const std::string& url, const FetchOptions& options = {});

}  // namespace tav::testing
