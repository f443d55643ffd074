#include "tools/service/byte_range.h"

#include <charconv>
#include <optional>

namespace tav::service {

namespace {

std::optional<uint64_t> Number(const std::string& text) {
  if (text.empty())
    return std::nullopt;
  uint64_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size())
    return std::nullopt;
  return value;
}

ByteRange Part(uint64_t first, uint64_t last) {
  ByteRange range;
  range.kind = ByteRange::kPart;
  range.first = first;
  range.last = last;
  return range;
}

ByteRange Unsatisfiable() {
  ByteRange range;
  range.kind = ByteRange::kUnsatisfiable;
  return range;
}

}  // namespace

ByteRange ParseByteRange(const std::string& header, uint64_t size) {
  const std::string unit = "bytes=";
  if (header.compare(0, unit.size(), unit) != 0)
    return {};
  const std::string ranges = header.substr(unit.size());
  const size_t dash = ranges.find('-');
  if (dash == std::string::npos || ranges.find(',') != std::string::npos)
    return {};
  const std::optional<uint64_t> first = Number(ranges.substr(0, dash));
  const std::optional<uint64_t> last = Number(ranges.substr(dash + 1));
  if (!first && !last)
    return {};
  if (!first) {  // a suffix: the last N bytes
    if (*last == 0 || size == 0)
      return Unsatisfiable();
    return Part(*last >= size ? 0 : size - *last, size - 1);
  }
  if (last && *last < *first)
    return {};  // not a valid range: ignored
  if (*first >= size)
    return Unsatisfiable();
  return Part(*first, last && *last < size ? *last : size - 1);
}

}  // namespace tav::service
