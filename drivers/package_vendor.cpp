#include "drivers/package_vendor.h"

#include "devices/vendor_names.h"
#include "platform/text.h"

namespace tav {

std::string PackageVendor(std::string_view vendor) {
  std::string text = ToLowerAscii(NormalizeVendor(vendor));
  for (const char* acronym : {"hp", "amd", "ati", "nvidia"}) {
    if (text == acronym)
      return ToUpperAscii(text);
  }
  if (!text.empty())
    text[0] = AsciiUpper(text[0]);
  return text;
}

}  // namespace tav
