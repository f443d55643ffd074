#include "tools/vpc/reg_key_argument.h"

namespace tav::vpc_tool {

bool ParseRegKeyArgument(std::string_view text, bool root_alone_ok, RegKeyArgument* out) {
  if (text.empty() || text[0] == '\\')
    return false;
  const size_t slash = text.find('\\');
  if (!platform::ParseRegRoot(text.substr(0, slash), &out->root))
    return false;
  std::string path = slash == std::string_view::npos ? "" : std::string(text.substr(slash + 1));
  if (!path.empty() && path.back() == '\\')
    path.pop_back();  // "HKCU\X\" is "HKCU\X"
  if (path.empty()) {
    if (!root_alone_ok)
      return false;
  } else if (path.front() == '\\' || path.back() == '\\' ||
             path.find("\\\\") != std::string::npos) {
    return false;
  }
  out->path = path;
  out->display = platform::RegRootName(out->root) + (path.empty() ? "" : "\\" + path);
  return true;
}

}  // namespace tav::vpc_tool
