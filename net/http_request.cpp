#include "net/http_request.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <mutex>

#include "core/text_utils.h"
#include "platform/text.h"

namespace tav {

namespace {

constexpr int kLongestPollMs = 200;

int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void InitLibrary() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

HttpFailure FailureOf(CURLcode code) {
  switch (code) {
    case CURLE_OK:
      return HttpFailure::kNone;
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL:
      return HttpFailure::kBadUrl;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      return HttpFailure::kNameNotResolved;
    case CURLE_COULDNT_CONNECT:
      return HttpFailure::kCannotConnect;
    case CURLE_OPERATION_TIMEDOUT:
      return HttpFailure::kConnectTimeout;
    case CURLE_PARTIAL_FILE:
    case CURLE_GOT_NOTHING:
      return HttpFailure::kClosedEarly;
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
      return HttpFailure::kConnectionReset;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
      return HttpFailure::kSecure;
    case CURLE_WRITE_ERROR:
    case CURLE_ABORTED_BY_CALLBACK:
      return HttpFailure::kCancelled;
    default:
      return HttpFailure::kOther;
  }
}

bool IsRedirect(int status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// "bytes 500-999/1000" gives 500.
int64_t RangeStart(std::string_view value) {
  const std::string text = Trim(value);
  if (!StartsWithIgnoreCase(text, "bytes "))
    return -1;
  const size_t dash = text.find('-');
  return dash == std::string::npos ? -1 : StrToIntDef(Trim(text.substr(6, dash - 6)), -1);
}

}  // namespace

bool IsValidUrl(const std::string& url) {
  CURLU* parsed = curl_url();
  const bool valid = parsed && curl_url_set(parsed, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK;
  curl_url_cleanup(parsed);
  return valid;
}

HttpRequest::HttpRequest(HttpRequestOptions options) : options_(std::move(options)) {}

HttpRequest::~HttpRequest() {
  Detach();
  if (easy_)
    curl_easy_cleanup(easy_);
  if (multi_)
    curl_multi_cleanup(multi_);
  if (header_list_)
    curl_slist_free_all(header_list_);
  if (mime_)
    curl_mime_free(mime_);
}

void HttpRequest::Detach() {
  if (attached_)
    curl_multi_remove_handle(multi_, easy_);
  attached_ = false;
}

bool HttpRequest::SetOptions() {
  if (!IsValidUrl(options_.url)) {
    Fail(HttpFailure::kBadUrl, "invalid address: " + options_.url);
    return false;
  }
  curl_easy_setopt(easy_, CURLOPT_URL, options_.url.c_str());
  curl_easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy_, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy_, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy_, CURLOPT_ERRORBUFFER, error_buffer_);
  curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &HttpRequest::OnHeader);
  curl_easy_setopt(easy_, CURLOPT_HEADERDATA, this);
  curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &HttpRequest::OnBody);
  curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
  curl_easy_setopt(easy_, CURLOPT_BUFFERSIZE, options_.buffer_size);
  curl_easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT_MS,
                   static_cast<long>(options_.connect_timeout_ms));
  curl_easy_setopt(easy_, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
  if (!options_.agent.empty())
    curl_easy_setopt(easy_, CURLOPT_USERAGENT, options_.agent.c_str());
  if (options_.max_redirects > 0) {
    curl_easy_setopt(easy_, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy_, CURLOPT_MAXREDIRS, options_.max_redirects);
  }
  if (options_.head)
    curl_easy_setopt(easy_, CURLOPT_NOBODY, 1L);
  const std::string range = std::to_string(options_.range_from) + "-";
  if (options_.range_from >= 0)
    curl_easy_setopt(easy_, CURLOPT_RANGE, range.c_str());
  for (const std::string& header : options_.headers) {
    header_list_ = curl_slist_append(header_list_, header.c_str());
  }
  if (header_list_)
    curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, header_list_);
  if (const HttpFormFile* form = options_.form_file) {
    mime_ = curl_mime_init(easy_);
    curl_mimepart* part = curl_mime_addpart(mime_);
    curl_mime_name(part, form->part_name.c_str());
    curl_mime_filename(part, form->file_name.c_str());
    curl_mime_type(part, form->content_type.c_str());
    curl_mime_data(part, form->content.data(), form->content.size());
    curl_easy_setopt(easy_, CURLOPT_MIMEPOST, mime_);
  }
  // An empty proxy text makes libcurl ignore the proxy environment variables.
  if (options_.proxy_mode == ProxyMode::kDirect)
    curl_easy_setopt(easy_, CURLOPT_PROXY, "");
  if (options_.proxy_mode == ProxyMode::kNamed) {
    curl_easy_setopt(easy_, CURLOPT_PROXY, options_.proxy.c_str());
    if (!options_.proxy_user.empty()) {
      curl_easy_setopt(easy_, CURLOPT_PROXYUSERNAME, options_.proxy_user.c_str());
      curl_easy_setopt(easy_, CURLOPT_PROXYPASSWORD, options_.proxy_password.c_str());
    }
  }
  return true;
}

bool HttpRequest::Start() {
  if (started_)
    return failure_ == HttpFailure::kNone;
  started_ = true;
  InitLibrary();
  easy_ = curl_easy_init();
  multi_ = curl_multi_init();
  if (!easy_ || !multi_) {
    Fail(HttpFailure::kOther, "cannot create a transfer");
    return false;
  }
  if (!SetOptions())
    return false;
  if (curl_multi_add_handle(multi_, easy_) != CURLM_OK) {
    Fail(HttpFailure::kOther, "cannot start the transfer");
    return false;
  }
  attached_ = true;
  last_activity_ms_ = NowMs();
  return true;
}

void HttpRequest::Step() {
  int running = 0;
  curl_multi_perform(multi_, &running);
  int queued = 0;
  while (CURLMsg* message = curl_multi_info_read(multi_, &queued)) {
    if (message->msg == CURLMSG_DONE)
      Finish(message->data.result);
  }
  if (done_)
    return;
  CheckReadTimeout();
  if (done_)
    return;
  const int64_t left = last_activity_ms_ + options_.read_timeout_ms - NowMs();
  const int wait = static_cast<int>(std::clamp<int64_t>(left, 1, kLongestPollMs));
  curl_multi_poll(multi_, nullptr, 0, wait, nullptr);
}

// The read timeout starts once connected; until then the connect timeout,
// which libcurl enforces, decides.
void HttpRequest::CheckReadTimeout() {
  if (!connected_) {
    curl_off_t connect_us = 0;
    curl_easy_getinfo(easy_, CURLINFO_CONNECT_TIME_T, &connect_us);
    if (connect_us <= 0)
      return;
    connected_ = true;
    last_activity_ms_ = std::max(last_activity_ms_, NowMs());
    return;
  }
  if (NowMs() - last_activity_ms_ <= options_.read_timeout_ms)
    return;
  Fail(HttpFailure::kReadTimeout,
       "no data for " + std::to_string(options_.read_timeout_ms) + " ms");
}

void HttpRequest::Finish(CURLcode result) {
  done_ = true;
  Detach();
  if (failure_ != HttpFailure::kNone)
    return;
  if (sink_declined_) {
    Fail(HttpFailure::kCancelled, "cancelled");
  } else if (result != CURLE_OK) {
    Fail(FailureOf(result), error_buffer_[0] ? error_buffer_ : curl_easy_strerror(result));
  }
}

void HttpRequest::Fail(HttpFailure failure, std::string text) {
  failure_ = failure;
  error_text_ = std::move(text);
  done_ = true;
  Detach();
}

size_t HttpRequest::OnHeader(char* data, size_t size, size_t count, void* self) {
  static_cast<HttpRequest*>(self)->HeaderLine(std::string(data, size * count));
  return size * count;
}

size_t HttpRequest::OnBody(char* data, size_t size, size_t count, void* self) {
  return static_cast<HttpRequest*>(self)->Body(data, size * count);
}

void HttpRequest::HeaderLine(std::string line) {
  last_activity_ms_ = NowMs();
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
    line.pop_back();
  if (StartsWith(line, "HTTP/")) {
    status_line_ = line;
    const size_t space = line.find(' ');
    status_ = space == std::string::npos
                  ? 0
                  : static_cast<int>(StrToIntDef(line.substr(space + 1, 3), 0));
    content_length_ = range_start_ = -1;
    has_location_ = headers_final_ = false;
    return;
  }
  if (line.empty()) {
    const bool followed = has_location_ && IsRedirect(status_) && options_.max_redirects > 0 &&
                          redirects_ < options_.max_redirects;
    if (followed) {
      ++redirects_;
    } else if (status_ >= 200) {
      headers_final_ = true;
    }
    return;
  }
  const size_t colon = line.find(':');
  if (colon == std::string::npos)
    return;
  const std::string name = ToLowerAscii(Trim(line.substr(0, colon)));
  const std::string value = Trim(line.substr(colon + 1));
  if (name == "content-length")
    content_length_ = StrToIntDef(value, -1);
  if (name == "content-range")
    range_start_ = RangeStart(value);
  if (name == "location")
    has_location_ = true;
}

size_t HttpRequest::Body(const char* data, size_t size) {
  last_activity_ms_ = NowMs();
  if (sink_) {
    if ((*sink_)(data, size))
      return size;
    sink_declined_ = true;
    return 0;
  }
  pending_.append(data, size);
  return size;
}

bool HttpRequest::Send() {
  if (!Start())
    return false;
  while (!headers_final_ && !done_)
    Step();
  // A body that failed after the headers is the reader's concern.
  if (headers_final_)
    return true;
  if (failure_ == HttpFailure::kNone)
    Fail(HttpFailure::kClosedEarly, "the server sent no answer");
  return false;
}

bool HttpRequest::Read(char* buffer, size_t size, size_t* got) {
  *got = 0;
  if (!started_ && !Send())
    return false;
  if (pending_offset_ >= pending_.size() && !done_) {
    last_activity_ms_ = NowMs();
    while (pending_offset_ >= pending_.size() && !done_)
      Step();
  }
  if (pending_offset_ < pending_.size()) {
    *got = std::min(size, pending_.size() - pending_offset_);
    std::memcpy(buffer, pending_.data() + pending_offset_, *got);
    pending_offset_ += *got;
    if (pending_offset_ == pending_.size()) {
      pending_.clear();
      pending_offset_ = 0;
    }
    return true;
  }
  return failure_ == HttpFailure::kNone;
}

bool HttpRequest::Receive(const BodySink& sink) {
  if (!Start())
    return false;
  if (pending_offset_ < pending_.size()) {
    const bool more = sink(pending_.data() + pending_offset_, pending_.size() - pending_offset_);
    pending_.clear();
    pending_offset_ = 0;
    if (!more) {
      Fail(HttpFailure::kCancelled, "cancelled");
      return false;
    }
  }
  sink_ = &sink;
  last_activity_ms_ = NowMs();
  while (!done_)
    Step();
  sink_ = nullptr;
  return failure_ == HttpFailure::kNone;
}

}  // namespace tav
