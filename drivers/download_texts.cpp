#include "drivers/download_texts.h"

namespace tav {

namespace {

TextLookup& Lookup() {
  static TextLookup lookup;
  return lookup;
}

}  // namespace

void SetTextLookup(TextLookup lookup) {
  Lookup() = std::move(lookup);
}

std::string LookupText(std::string_view section, std::string_view key, std::string_view fallback) {
  if (!Lookup())
    return std::string(fallback);
  return Lookup()(section, key, fallback);
}

std::string PreparingText() {
  return LookupText("Engine", "SubStatusPreparing", "Preparing");
}

std::string QueuedText() {
  return LookupText("Engine", "StatusQueued", "Queued");
}

}  // namespace tav
