// Lines of the log kept in memory: length-prefixed records in large chunks,
// so that adding a line costs one copy and no allocation. Chunks that are
// emptied stay allocated for reuse, and spare chunks are made (and their
// pages touched) ahead of need by the log thread, so a caller never waits for
// the system to hand out fresh memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

class LogTextBuffer {
 public:
  static constexpr size_t kChunkSize = 1u << 20;

  void Append(std::string_view line);
  size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }

  // Visits the lines in order.
  template <typename Visit>
  void ForEach(Visit visit) const {
    for (size_t c = 0; c < chunks_.size(); ++c) {
      const char* p = chunks_[c].data.get();
      const char* end = p + chunks_[c].used;
      while (p < end) {
        uint32_t length;
        std::memcpy(&length, p, sizeof length);
        p += sizeof length;
        visit(std::string_view(p, length));
        p += length;
      }
    }
  }
  std::vector<std::string> Lines() const;

  // Empties the buffer; its chunks become spares.
  void Clear();
  void Swap(LogTextBuffer& other);

  // Spare chunks ready for use; the log thread keeps a few.
  size_t spare_count() const { return spares_.size(); }
  static std::unique_ptr<char[]> MakeTouchedChunk();
  void AddSpare(std::unique_ptr<char[]> chunk);
  // Moves the other buffer's spare chunks here.
  void TakeSpares(LogTextBuffer& other);
  // Frees what is not in use (the memory lists when the log stops).
  void Release();

 private:
  struct Chunk {
    std::unique_ptr<char[]> data;
    size_t capacity = 0;
    size_t used = 0;
  };
  void NewChunk(size_t at_least);

  std::vector<Chunk> chunks_;
  std::vector<std::unique_ptr<char[]>> spares_;
  size_t count_ = 0;
};

}  // namespace tav
