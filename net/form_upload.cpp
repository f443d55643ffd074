#include "net/form_upload.h"

#include "net/http_request.h"

namespace tav {

bool PostFormFile(std::string_view host,
                  std::string_view path,
                  std::string_view part_name,
                  std::string_view file_name,
                  std::string content) {
  const HttpFormFile form{std::string(part_name), std::string(file_name), "text/plain",
                          std::move(content)};
  HttpRequestOptions options;
  options.url = "http://" + std::string(host) + std::string(path);
  options.agent = kClientDefaultAgent;
  options.form_file = &form;
  options.max_redirects = 0;
  options.connect_timeout_ms = kReportTimeoutMs;
  options.read_timeout_ms = kReportTimeoutMs;
  HttpRequest request(options);
  if (!request.Receive([](const char*, size_t) { return true; }))
    return false;
  return request.failure() == HttpFailure::kNone && request.status() >= 200 &&
         request.status() < 300;
}

}  // namespace tav
