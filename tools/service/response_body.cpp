#include "tools/service/response_body.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "tools/service/access_log.h"
#include "tools/service/faults.h"
#include "tools/service/service_lifetime.h"

namespace tav::service {

namespace {

constexpr size_t kChunkBytes = 256 * 1024;
constexpr uint64_t kCorruptEvery = 4096;

// What one answer has sent, shared by the calls of its content provider.
struct BodyState {
  uint64_t length = 0;
  FaultRule fault;
  BodyReader reader;
  uint64_t sent = 0;
  bool delayed = false;
  std::vector<char> buffer;
};

void Corrupt(uint64_t offset, char* data, size_t size) {
  uint64_t next = (offset + kCorruptEvery - 1) / kCorruptEvery * kCorruptEvery;
  for (; next < offset + size; next += kCorruptEvery)
    data[next - offset] ^= 0x5A;
}

// Bytes allowed before the next fault point (a drop or a stall).
size_t Allowed(const BodyState& state, size_t wanted) {
  uint64_t limit = wanted;
  if (state.fault.drop_after >= 0) {
    limit = std::min<uint64_t>(limit, static_cast<uint64_t>(state.fault.drop_after) - state.sent);
  }
  if (!state.delayed && state.fault.delay_ms > 0 && state.fault.delay_after > 0) {
    const uint64_t stall = static_cast<uint64_t>(state.fault.delay_after);
    if (stall > state.sent)
      limit = std::min<uint64_t>(limit, stall - state.sent);
  }
  return static_cast<size_t>(limit);
}

// Sends up to wanted bytes from offset; false ends the connection.
bool SendSome(BodyState& state, uint64_t offset, size_t wanted, httplib::DataSink& sink) {
  if (!state.delayed && state.fault.delay_ms > 0 && state.fault.delay_after >= 0 &&
      state.sent >= static_cast<uint64_t>(state.fault.delay_after)) {
    state.delayed = true;
    SleepUnlessStopping(state.fault.delay_ms);
  }
  if (state.fault.drop_after >= 0 && state.sent >= static_cast<uint64_t>(state.fault.drop_after)) {
    return false;
  }
  const size_t size = Allowed(state, std::min(wanted, kChunkBytes));
  if (size == 0)
    return false;
  state.buffer.resize(size);
  if (!state.reader(offset, state.buffer.data(), size))
    return false;
  if (state.fault.corrupt)
    Corrupt(offset, state.buffer.data(), size);
  if (!sink.write(state.buffer.data(), size))
    return false;
  state.sent += size;
  CountSentBytes(size);
  return true;
}

}  // namespace

void SetBody(httplib::Response& res,
             uint64_t length,
             const std::string& content_type,
             BodyReader reader) {
  auto state = std::make_shared<BodyState>();
  state->length = length;
  state->fault = RequestFault();
  state->reader = std::move(reader);
  if (state->fault.no_content_length) {
    // The body ends where the connection does: the provider's false after the
    // last byte makes the library close it instead of waiting for keep-alive.
    res.set_header("Connection", "close");
    res.set_content_provider(content_type, [state](size_t offset, httplib::DataSink& sink) {
      if (offset >= state->length)
        return false;
      return SendSome(*state, offset, static_cast<size_t>(state->length - offset), sink);
    });
    return;
  }
  if (length == 0) {
    res.set_content("", content_type);
    return;
  }
  res.set_content_provider(static_cast<size_t>(length), content_type,
                           [state](size_t offset, size_t size, httplib::DataSink& sink) {
                             return SendSome(*state, offset, size, sink);
                           });
}

void SetTextBody(httplib::Response& res, const std::string& text, const std::string& content_type) {
  auto body = std::make_shared<std::string>(text);
  SetBody(res, body->size(), content_type, [body](uint64_t offset, char* out, size_t size) {
    std::copy_n(body->data() + offset, size, out);
    return true;
  });
}

}  // namespace tav::service
