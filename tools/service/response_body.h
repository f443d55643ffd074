// Every answer body goes out through here, so that the injected body faults
// of the request (drop, stall, missing length, corruption) apply to texts and
// files alike, and the access log learns how many bytes were sent.
#pragma once

#include <httplib.h>

#include <cstdint>
#include <functional>
#include <string>

namespace tav::service {

// Reads size bytes at offset of the body into out; false on a read error.
using BodyReader = std::function<bool(uint64_t offset, char* out, size_t size)>;

// A body of the given length. With a fault that omits the length the body
// ends by closing the connection.
void SetBody(httplib::Response& res,
             uint64_t length,
             const std::string& content_type,
             BodyReader reader);
void SetTextBody(httplib::Response& res,
                 const std::string& text,
                 const std::string& content_type = "text/plain");

}  // namespace tav::service
