// The display name of a driver package from its device names: vendor words,
// trademarks and "driver" noise removed, and for several devices the words
// most of their names share.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

// One word of the frequency list of CommonName.
struct TWordInfo {
  std::string Word;      // as first seen
  std::string Key;       // lower case
  int32_t Position = 0;  // 1-based position in the name where it was first seen
  int32_t Count = 0;     // names that contained it
};

// Without "(R)", "(TM)" and the word driver, without a leading vendor word,
// double blanks made single, trimmed.
std::string CleanName(std::string_view text, std::string_view vendor);

// The words that at least CommonNameThreshold of the names share, in the
// order of their first position; when too few are shared, the cleaned names
// joined by ", " (cut to 97 characters and "..." beyond 100).
std::string CommonName(const std::vector<std::string>& names, std::string_view vendor);

// Counts a word of a name into the list, which stays ordered by first
// position. Empty words, "-", words starting with "driver" or "contolador"
// and the vendor itself are not counted.
void AddWord(std::vector<TWordInfo>* words,
             std::string_view word,
             int32_t position,
             std::string_view vendor);

// How many names must share a word: half of them, one more below four names.
int32_t CommonNameThreshold(size_t name_count);

}  // namespace tav
