#include "tests/net/http_fetch.h"

#include <curl/curl.h>

#include <algorithm>

namespace tav::testing {

namespace {

size_t OnBody(char* data, size_t size, size_t count, void* out) {
  static_cast<FetchResult*>(out)->body.append(data, size * count);
  return size * count;
}

size_t OnHeader(char* data, size_t size, size_t count, void* out) {
  std::string line(data, size * count);
  const size_t colon = line.find(':');
  if (colon != std::string::npos) {
    std::string name = line.substr(0, colon);
    std::transform(name.begin(), name.end(), name.begin(), ::tolower);
    std::string value = line.substr(colon + 1);
    value.erase(0, value.find_first_not_of(' '));
    value.erase(value.find_last_not_of("\r\n") + 1);
    static_cast<FetchResult*>(out)->headers[name] = value;
  }
  return size * count;
}

curl_mime* Multipart(CURL* curl, const FetchOptions& options) {
  curl_mime* mime = curl_mime_init(curl);
  for (const auto& [name, content] : options.files) {
    curl_mimepart* part = curl_mime_addpart(mime);
    curl_mime_name(part, name.c_str());
    curl_mime_filename(part, (name + ".txt").c_str());
    curl_mime_type(part, "text/plain");
    curl_mime_data(part, content.data(), content.size());
  }
  return mime;
}

}  // namespace

FetchResult Fetch(const std::string& url, const FetchOptions& options) {
  FetchResult result;
  CURL* curl = curl_easy_init();
  curl_slist* headers = nullptr;
  for (const std::string& header : options.headers)
    headers = curl_slist_append(headers, header.c_str());
  curl_mime* mime = nullptr;
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, options.timeout_ms);
  curl_easy_setopt(curl, CURLOPT_PROXY, options.proxy.c_str());
  if (!options.proxy_login.empty()) {
    curl_easy_setopt(curl, CURLOPT_PROXYUSERPWD, options.proxy_login.c_str());
  }
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &OnBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &result);
  curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &OnHeader);
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, &result);
  if (options.method == "HEAD")
    curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
  if (options.method == "POST" && options.files.empty()) {
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, options.body.c_str());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(options.body.size()));
  }
  if (options.method == "POST" && !options.files.empty()) {
    mime = Multipart(curl, options);
    curl_easy_setopt(curl, CURLOPT_MIMEPOST, mime);
  }
  result.curl_code = curl_easy_perform(curl);
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  result.status = static_cast<int>(status);
  curl_mime_free(mime);
  curl_slist_free_all(headers);
  curl_easy_cleanup(curl);
  return result;
}

}  // namespace tav::testing
