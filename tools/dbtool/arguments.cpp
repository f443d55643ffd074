#include "tools/dbtool/arguments.h"

#include <cerrno>
#include <cstdlib>

namespace tav::dbtool {

bool Arguments::Parse(const std::vector<std::string>& args,
                      const std::set<std::string>& options,
                      const std::set<std::string>& flags,
                      std::string* error) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& name = args[i];
    const bool is_option = options.count(name) != 0;
    if (!is_option && flags.count(name) == 0) {
      *error = "unknown argument \"" + name + "\"";
      return false;
    }
    if (values_.count(name)) {
      *error = name + " is given twice";
      return false;
    }
    if (is_option && i + 1 >= args.size()) {
      *error = name + " needs a value";
      return false;
    }
    values_[name] = is_option ? args[++i] : std::string();
  }
  return true;
}

bool Arguments::Has(const std::string& name) const {
  return values_.count(name) != 0;
}

std::string Arguments::Get(const std::string& name) const {
  const auto it = values_.find(name);
  return it == values_.end() ? std::string() : it->second;
}

bool ParseCount(const std::string& text, long long minimum, long long maximum, long long* value) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
    return false;
  errno = 0;
  const long long number = std::strtoll(text.c_str(), nullptr, 10);
  if (errno != 0 || number < minimum || number > maximum)
    return false;
  *value = number;
  return true;
}

}  // namespace tav::dbtool
