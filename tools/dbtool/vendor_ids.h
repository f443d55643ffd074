// Vendor codes of the pci.ids and usb.ids lists (Debian's hwdata): a vendor
// line is four hexadecimal digits at the start of a line, blanks, the name.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace tav::dbtool {

struct VendorCode {
  std::string code;    // four upper-case hexadecimal digits
  std::string vendor;  // the canonical vendor word of the name
};

// The vendor lines of a list, names normalized; those that normalize to
// nothing are left out, and so is any repeat of a code.
std::vector<VendorCode> ParseVendorIds(const std::string& text);

// Reads a list file; false when it cannot be read.
bool ReadVendorIds(const std::string& host_path, std::vector<VendorCode>* codes);

}  // namespace tav::dbtool
