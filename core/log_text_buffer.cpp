#include "core/log_text_buffer.h"

#include <cstring>

namespace tav {

void LogTextBuffer::NewChunk(size_t at_least) {
  Chunk chunk;
  if (at_least <= kChunkSize && !spares_.empty()) {
    chunk.data = std::move(spares_.back());
    spares_.pop_back();
    chunk.capacity = kChunkSize;
  } else {
    chunk.capacity = at_least > kChunkSize ? at_least : kChunkSize;
    chunk.data.reset(new char[chunk.capacity]);
  }
  chunks_.push_back(std::move(chunk));
}

void LogTextBuffer::Append(std::string_view line) {
  const size_t need = sizeof(uint32_t) + line.size();
  if (chunks_.empty() || chunks_.back().capacity - chunks_.back().used < need) NewChunk(need);
  Chunk& chunk = chunks_.back();
  const auto length = static_cast<uint32_t>(line.size());
  std::memcpy(chunk.data.get() + chunk.used, &length, sizeof length);
  std::memcpy(chunk.data.get() + chunk.used + sizeof length, line.data(), line.size());
  chunk.used += need;
  ++count_;
}

std::vector<std::string> LogTextBuffer::Lines() const {
  std::vector<std::string> lines;
  lines.reserve(count_);
  ForEach([&](std::string_view line) { lines.emplace_back(line); });
  return lines;
}

void LogTextBuffer::Clear() {
  for (Chunk& chunk : chunks_) {
    if (chunk.capacity == kChunkSize) spares_.push_back(std::move(chunk.data));
  }
  chunks_.clear();
  count_ = 0;
}

void LogTextBuffer::Swap(LogTextBuffer& other) {
  chunks_.swap(other.chunks_);
  std::swap(count_, other.count_);
}

std::unique_ptr<char[]> LogTextBuffer::MakeTouchedChunk() {
  std::unique_ptr<char[]> chunk(new char[kChunkSize]);
  std::memset(chunk.get(), 0, kChunkSize);
  return chunk;
}

void LogTextBuffer::AddSpare(std::unique_ptr<char[]> chunk) { spares_.push_back(std::move(chunk)); }

void LogTextBuffer::TakeSpares(LogTextBuffer& other) {
  for (auto& chunk : other.spares_) spares_.push_back(std::move(chunk));
  other.spares_.clear();
}

void LogTextBuffer::Release() {
  chunks_.clear();
  spares_.clear();
  count_ = 0;
}

}  // namespace tav
