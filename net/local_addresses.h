// The machine's IPv4 addresses as one text for log lines: in table order,
// without "127.0.0.1", "0.0.0.0" and addresses starting with "192.", each
// followed by one space. Computed on first use and kept for the run.
#pragma once

#include <string>
#include <vector>

namespace tav {

std::string LocalAddressList();
// The text for a given address table (the rule above).
std::string FormatLocalAddressList(const std::vector<std::string>& addresses);
void ForgetLocalAddressList();

}  // namespace tav
