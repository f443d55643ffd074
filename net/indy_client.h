// The primary stack's HTTP client, modelled on the Indy client over libcurl:
// HEAD, and GET into a stream with one range from the resume offset, the
// work event after every block, proxy, timeouts, redirects. What Indy raises
// as exceptions comes back as an IndyError with Indy's class and message:
// read timeout, connection closed gracefully, socket error ("Socket Error #
// 11001 ..."), HTTP protocol error (an answer of 400 or more, whose body is
// not written to the stream).
#pragma once

#include <cstdint>
#include <string>

#include "net/internet.h"
#include "net/transfer_stream.h"

namespace tav {

enum class IndyError {
  kNone,
  kReadTimeout,
  kConnClosedGracefully,
  kSocketError,
  kProtocolError,
  kOther
};

struct IndyResult {
  IndyError error = IndyError::kNone;
  std::string error_class;  // "EIdSocketError", ...
  std::string message;
  bool answered = false;  // an answer came, whatever its code
  int response_code = 0;
  int64_t content_length = -1;
};

class IndyHttpClient {
 public:
  // Settings.
  std::string agent;
  std::string proxy_server;  // empty: direct
  int proxy_port = 8080;
  std::string proxy_user, proxy_password;
  int32_t read_timeout_ms = 0;  // 0: the system's own
  int32_t connect_timeout_ms = 0;
  int max_redirects = 10;
  int64_t range_from = -1;

  // The four fields the transport adds: the progress callback, the expected
  // size, the resume offset and the cancelled flag.
  TransferProgress progress;
  int64_t expected_size = 0;
  int64_t resume_offset = 0;
  bool cancelled = false;

  IndyResult Head(const std::string& url);
  IndyResult Get(const std::string& url, TransferStream& stream);

 private:
  // The work event: bytes of the current transfer so far. False disconnects.
  bool OnWork(int64_t work);
};

}  // namespace tav
