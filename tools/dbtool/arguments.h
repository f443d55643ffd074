// The command line of a dbtool command: "--name value" options and "--flag"
// switches, each allowed once, nothing else.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

namespace tav::dbtool {

class Arguments {
 public:
  // False with a reason for an unknown, repeated or incomplete argument.
  bool Parse(const std::vector<std::string>& args,
             const std::set<std::string>& options,
             const std::set<std::string>& flags,
             std::string* error);

  bool Has(const std::string& name) const;
  std::string Get(const std::string& name) const;

 private:
  std::map<std::string, std::string> values_;
};

// A whole decimal number in [minimum, maximum].
bool ParseCount(const std::string& text, long long minimum, long long maximum, long long* value);

}  // namespace tav::dbtool
