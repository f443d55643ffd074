// The row texts of a package download, looked up by language section and key
// with their English defaults. Until the language file is loaded the lookup
// answers the default; the user interface plugs its lookup in once it has
// opened the file. Main thread only, like every row update.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace tav {

using TextLookup = std::function<
    std::string(std::string_view section, std::string_view key, std::string_view fallback)>;

// An empty lookup brings the defaults back.
void SetTextLookup(TextLookup lookup);
std::string LookupText(std::string_view section, std::string_view key, std::string_view fallback);

// "Preparing" while an attempt starts.
std::string PreparingText();
// "Queued" while a package waits for a slot, and after a cancel.
std::string QueuedText();

}  // namespace tav
