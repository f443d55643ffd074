#include "platform/linux/host_process.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace tav::platform::vpc {

bool ReadHostProcessStat(uint32_t pid, HostProcessStat* stat) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text;
  if (!std::getline(in, text))
    return false;
  // The name is in parentheses and may itself hold blanks and parentheses.
  const size_t open = text.find('(');
  const size_t close = text.rfind(')');
  if (open == std::string::npos || close == std::string::npos || close + 2 >= text.size()) {
    return false;
  }
  stat->comm = text.substr(open + 1, close - open - 1);
  std::istringstream rest(text.substr(close + 2));
  std::string field;
  for (int index = 3; rest >> field; ++index) {
    if (index == 3)
      stat->state = field[0];
    if (index == 4)
      stat->parent_id = static_cast<uint32_t>(std::strtoul(field.c_str(), nullptr, 10));
    if (index == 22) {
      stat->start_ticks = std::strtoull(field.c_str(), nullptr, 10);
      return true;
    }
  }
  return false;
}

bool HostProcessRuns(uint32_t pid, uint64_t start_ticks) {
  HostProcessStat stat;
  if (pid == 0 || !ReadHostProcessStat(pid, &stat) || stat.state == 'Z' || stat.state == 'X') {
    return false;
  }
  return start_ticks == 0 || stat.start_ticks == start_ticks;
}

}  // namespace tav::platform::vpc
