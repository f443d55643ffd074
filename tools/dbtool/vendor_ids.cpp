#include "tools/dbtool/vendor_ids.h"

#include <cctype>
#include <set>
#include <sstream>

#include "core/text_utils.h"
#include "devices/vendor_names.h"
#include "tools/dbtool/host_files.h"

namespace tav::dbtool {

namespace {

bool IsVendorLine(const std::string& line) {
  if (line.size() < 6)
    return false;
  for (int i = 0; i < 4; ++i) {
    if (!std::isxdigit(static_cast<unsigned char>(line[i])))
      return false;
  }
  return line[4] == ' ' || line[4] == '\t';
}

}  // namespace

std::vector<VendorCode> ParseVendorIds(const std::string& text) {
  std::vector<VendorCode> codes;
  std::set<std::string> seen;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    // The class lists at the end ("C 03  Display controller") are not vendors.
    if (!line.empty() && line[0] == 'C' && line.size() > 1 && line[1] == ' ')
      break;
    if (!IsVendorLine(line))
      continue;
    VendorCode code{ToUpperAscii(line.substr(0, 4)), NormalizeVendor(Trim(line.substr(5)))};
    if (code.vendor.empty() || !seen.insert(code.code).second)
      continue;
    codes.push_back(std::move(code));
  }
  return codes;
}

bool ReadVendorIds(const std::string& host_path, std::vector<VendorCode>* codes) {
  std::string text;
  if (!ReadHostFile(host_path, &text))
    return false;
  *codes = ParseVendorIds(text);
  return true;
}

}  // namespace tav::dbtool
