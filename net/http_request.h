// One HTTP request over libcurl, the HTTP library under both of the
// transport's stacks. Each request has its own connection. The caller either
// pulls the body block by block (Read) or has it pushed to a sink as it
// arrives (Receive). Waits are bounded: the connect timeout, and the read
// timeout counted from the last bytes that came in.
#pragma once

#include <curl/curl.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

enum class HttpFailure {
  kNone,
  kBadUrl,
  kNameNotResolved,
  kCannotConnect,
  kConnectTimeout,
  kReadTimeout,
  kClosedEarly,  // the server closed the connection before the answer was complete
  kConnectionReset,
  kSecure,
  kCancelled,  // the sink declined more data
  kOther,
};

enum class ProxyMode {
  kDirect,
  kSystem,  // the system's preconfigured proxy (the proxy environment variables)
  kNamed,
};

// One file sent as a multipart form (the request becomes a POST).
struct HttpFormFile {
  std::string part_name;
  std::string file_name;
  std::string content_type;
  std::string content;
};

struct HttpRequestOptions {
  std::string url;
  std::string agent;
  bool head = false;
  int64_t range_from = -1;  // asks for the bytes from here to the end
  std::vector<std::string> headers;
  ProxyMode proxy_mode = ProxyMode::kDirect;
  std::string proxy;  // "host:port" for kNamed
  std::string proxy_user, proxy_password;
  long max_redirects = 10;
  int32_t connect_timeout_ms = 21000;
  int32_t read_timeout_ms = 30000;
  long buffer_size = 16384;
  const HttpFormFile* form_file = nullptr;  // kept alive by the caller until the request ends
};

// Whether libcurl can parse the address.
bool IsValidUrl(const std::string& url);

class HttpRequest {
 public:
  using BodySink = std::function<bool(const char* data, size_t size)>;

  explicit HttpRequest(HttpRequestOptions options);
  ~HttpRequest();
  HttpRequest(const HttpRequest&) = delete;
  HttpRequest& operator=(const HttpRequest&) = delete;

  // Sends the request and waits for the headers of the final answer; true
  // once they are in, even when the body has failed since.
  bool Send();
  // The next bytes of the body, at most size; *got = 0 at its end.
  bool Read(char* buffer, size_t size, size_t* got);
  // Sends when not yet sent and hands the whole body to the sink.
  bool Receive(const BodySink& sink);

  int status() const { return status_; }
  const std::string& status_line() const { return status_line_; }
  int64_t content_length() const { return content_length_; }  // -1 when not given
  int64_t range_start() const { return range_start_; }        // -1 without Content-Range
  HttpFailure failure() const { return failure_; }
  const std::string& error_text() const { return error_text_; }

 private:
  static size_t OnHeader(char* data, size_t size, size_t count, void* self);
  static size_t OnBody(char* data, size_t size, size_t count, void* self);
  void HeaderLine(std::string line);
  size_t Body(const char* data, size_t size);

  bool Start();
  // One round of the transfer: runs what is ready, then waits a little.
  void Step();
  void CheckReadTimeout();
  void Finish(CURLcode result);
  void Detach();
  bool SetOptions();
  void Fail(HttpFailure failure, std::string text);

  HttpRequestOptions options_;
  CURL* easy_ = nullptr;
  CURLM* multi_ = nullptr;
  curl_slist* header_list_ = nullptr;
  curl_mime* mime_ = nullptr;
  bool attached_ = false;
  char error_buffer_[256] = {};
  bool started_ = false;
  bool done_ = false;
  bool headers_final_ = false;
  bool sink_declined_ = false;
  bool connected_ = false;
  int redirects_ = 0;
  int status_ = 0;
  std::string status_line_;
  int64_t content_length_ = -1;
  int64_t range_start_ = -1;
  bool has_location_ = false;
  HttpFailure failure_ = HttpFailure::kNone;
  std::string error_text_;
  int64_t last_activity_ms_ = 0;
  std::string pending_;  // body received but not yet read
  size_t pending_offset_ = 0;
  const BodySink* sink_ = nullptr;
};

}  // namespace tav
