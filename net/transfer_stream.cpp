#include "net/transfer_stream.h"

#include <algorithm>

namespace tav {

bool MemoryStream::SetPosition(int64_t position) {
  if (position < 0 || position > Size())
    return false;
  position_ = position;
  return true;
}

bool MemoryStream::Write(const char* data, size_t size) {
  const size_t at = static_cast<size_t>(position_);
  if (at + size > data_.size())
    data_.resize(at + size);
  std::copy_n(data, size, data_.begin() + static_cast<std::ptrdiff_t>(at));
  position_ += static_cast<int64_t>(size);
  return true;
}

bool FileStream::Open(std::string_view path, int32_t* error) {
  size_ = position_ = 0;
  if (!file_.Open(path, platform::File::kRead | platform::File::kWrite, platform::File::kShareRead,
                  platform::File::kOpenAlways, error)) {
    return false;
  }
  size_ = std::max<int64_t>(file_.Size(), 0);
  return true;
}

void FileStream::Close() {
  file_.Close();
}

bool FileStream::SetPosition(int64_t position) {
  if (position < 0 || position > size_)
    return false;
  if (!file_.Seek(position, platform::File::kBegin))
    return false;
  position_ = position;
  return true;
}

bool FileStream::Write(const char* data, size_t size) {
  if (!file_.Write(data, size))
    return false;
  position_ += static_cast<int64_t>(size);
  size_ = std::max(size_, position_);
  return true;
}

}  // namespace tav
