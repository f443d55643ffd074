// One byte range of a Range header ("bytes=500-", "bytes=0-99", "bytes=-100").
#pragma once

#include <cstdint>
#include <string>

namespace tav::service {

struct ByteRange {
  enum Kind { kWhole, kPart, kUnsatisfiable };
  Kind kind = kWhole;
  uint64_t first = 0;
  uint64_t last = 0;  // inclusive
};

// The part of a body of `size` bytes that the header asks for. No header, a
// header of another unit or several ranges: the whole body.
ByteRange ParseByteRange(const std::string& header, uint64_t size);

}  // namespace tav::service
