// The target of a transfer: a file or memory. Writes go to the position and
// move it; a write past the end grows the stream. Sizes and positions are
// byte counts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace tav {

class TransferStream {
 public:
  virtual ~TransferStream() = default;
  virtual int64_t Size() const = 0;
  virtual int64_t Position() const = 0;
  virtual bool SetPosition(int64_t position) = 0;
  virtual bool Write(const char* data, size_t size) = 0;
};

class MemoryStream : public TransferStream {
 public:
  int64_t Size() const override { return static_cast<int64_t>(data_.size()); }
  int64_t Position() const override { return position_; }
  bool SetPosition(int64_t position) override;
  bool Write(const char* data, size_t size) override;
  const std::string& data() const { return data_; }

 private:
  std::string data_;
  int64_t position_ = 0;
};

// A file opened for reading and writing, created when missing; the position
// starts at 0. Size and position are kept here, so a write costs one system
// call and nothing more.
class FileStream : public TransferStream {
 public:
  bool Open(std::string_view path, int32_t* error);
  void Close();
  bool IsOpen() const { return file_.IsOpen(); }
  int64_t Size() const override { return size_; }
  int64_t Position() const override { return position_; }
  bool SetPosition(int64_t position) override;
  bool Write(const char* data, size_t size) override;

 private:
  platform::File file_;
  int64_t size_ = 0;
  int64_t position_ = 0;
};

}  // namespace tav
