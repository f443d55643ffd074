// The digit swap of the driver database's stored IDs and package names: every
// hexadecimal digit, after lower-casing, is exchanged for its partner
// (0-7, 1-c, 2-e, 3-9, 4-b, 5-f, 6-a, 8-d); everything else stays. The swap
// is its own inverse. The driver service and every database it builds use
// this pairing; it is kept here and nowhere else.
#pragma once

#include <string>
#include <string_view>

namespace tav {

// Lower-cases the text and swaps its hexadecimal digits.
std::string DigitSwap(std::string_view text);

// The stored form of a hardware ID: upper-case, with everything after the
// first "DEV_" swapped (and upper-cased again); IDs without "DEV_" unchanged.
// Queries use the same transform.
std::string TransformHardwareId(std::string_view id);

// A stored package file name back to the real one: the part after the first
// "_" swapped, then ".4x4" read as ".exe".
std::string FileNameFromStored(std::string_view stored);
// The real package file name to its stored form (the database builder).
std::string FileNameToStored(std::string_view name);

}  // namespace tav
