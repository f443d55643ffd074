#include "matching/id_list.h"

#include "platform/text.h"

namespace tav {

std::vector<std::string> SplitIdList(std::string_view list) {
  constexpr size_t kRestLimit = 1000;
  std::vector<std::string> ids;
  std::string rest(list);
  for (;;) {
    const size_t comma = rest.find(',');
    if (comma == std::string::npos) break;
    ids.push_back(ToUpperAscii(rest.substr(0, comma)));
    rest.erase(0, comma + 1);
    if (rest.size() > kRestLimit) rest.resize(kRestLimit);
  }
  if (!rest.empty()) ids.push_back(ToUpperAscii(rest));
  return ids;
}

}  // namespace tav
