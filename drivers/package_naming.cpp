#include "drivers/package_naming.h"

#include "core/text_utils.h"
#include "drivers/utf8_prefix.h"

namespace tav {

namespace {

constexpr size_t kMaxNameLength = 1000;
constexpr size_t kMaxFallbackLength = 100;
constexpr size_t kFallbackCut = 97;

std::string RemoveNoise(std::string text) {
  for (const char* noise : {"(R)", "(TM)", " driver ", " driver", " Driver ", " Driver"}) {
    text = ReplaceAll(text, noise, "");
  }
  return text;
}

std::string WithoutVendorWord(const std::string& text, std::string_view vendor) {
  const std::string lower = ToLowerAscii(text);
  const std::string lower_vendor = ToLowerAscii(vendor);
  if (StartsWith(lower, lower_vendor + " ")) {
    return Trim(Utf8Prefix(std::string_view(text).substr(vendor.size()), kMaxNameLength));
  }
  // "(R)" went with the noise; a lower-case "(r)" did not.
  if (lower_vendor == "intel" && StartsWith(lower, "intel(r) ")) {
    return Trim(Utf8Prefix(std::string_view(text).substr(8), kMaxNameLength));
  }
  return text;
}

// A name's words with their positions; blanks in a row make empty words
// that still take a position.
int32_t AddNameWords(std::vector<TWordInfo>* words,
                     const std::string& name,
                     std::string_view vendor) {
  std::string rest = ReplaceAll(ReplaceAll(name, "(R)", ""), "(TM)", "");
  rest = ReplaceAll(ReplaceAll(rest, "(", " "), ")", " ");
  int32_t position = 1;
  for (size_t blank = rest.find(' '); blank != std::string::npos; blank = rest.find(' ')) {
    AddWord(words, Trim(std::string_view(rest).substr(0, blank)), position++, vendor);
    rest.erase(0, blank + 1);
  }
  AddWord(words, Trim(rest), position, vendor);
  return position;
}

std::string CutFallback(const std::string& fallback) {
  if (Utf8Length(fallback) <= kMaxFallbackLength)
    return fallback;
  return Utf8Prefix(fallback, kFallbackCut) + "...";
}

}  // namespace

std::string CleanName(std::string_view text, std::string_view vendor) {
  const std::string name = WithoutVendorWord(RemoveNoise(std::string(text)), vendor);
  return Trim(ReplaceAll(name, "  ", " "));
}

int32_t CommonNameThreshold(size_t name_count) {
  const auto count = static_cast<int32_t>(name_count);
  return count * 50 / 100 + (count < 4 ? 1 : 0);
}

void AddWord(std::vector<TWordInfo>* words,
             std::string_view word,
             int32_t position,
             std::string_view vendor) {
  if (word.empty() || word == "-" || StartsWithIgnoreCase(word, "driver") ||
      StartsWithIgnoreCase(word, "contolador") || EqualsIgnoreCase(word, ToLowerAscii(vendor))) {
    return;
  }
  const std::string key = ToLowerAscii(word);
  for (TWordInfo& known : *words) {
    if (known.Key == key) {
      ++known.Count;
      return;
    }
  }
  auto at = words->begin();
  while (at != words->end() && at->Position <= position)
    ++at;
  words->insert(at, TWordInfo{std::string(word), key, position, 1});
}

std::string CommonName(const std::vector<std::string>& names, std::string_view vendor) {
  if (names.size() == 1)
    return CleanName(names[0], vendor);
  std::vector<TWordInfo> words;
  std::string fallback;
  int32_t max_words = 3;
  int32_t last_word_count = 0;
  for (const std::string& raw : names) {
    const std::string name = Trim(raw);
    if (name.empty())
      continue;
    fallback += (fallback.empty() ? "" : ", ") + CleanName(name, vendor);
    if (name.find(' ') == std::string::npos) {
      AddWord(&words, name, 1, vendor);
    } else {
      last_word_count = AddNameWords(&words, name, vendor);
    }
  }
  if (last_word_count > max_words)
    max_words = last_word_count;
  const int32_t threshold = CommonNameThreshold(names.size());
  std::vector<std::string> shared;
  for (const TWordInfo& word : words) {
    if (word.Count >= threshold)
      shared.push_back(word.Word);
  }
  const auto taken = static_cast<int32_t>(shared.size());
  if (taken < 2 || taken < max_words / 3)
    return CutFallback(fallback);
  return CleanName(Join(shared, " "), vendor);
}

}  // namespace tav
