// Console output and questions of the PC's programs, which answer in the
// Windows programs' words ("ERROR: ...") and ask before they overwrite.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tav::vpc_tool {

void PrintLine(std::string_view text);       // stdout
void PrintErrorLine(std::string_view text);  // stderr

// Asks on stdout and reads the answer from stdin. Without an answer (end of
// input) it is No, so that nothing is changed that no one agreed to.
bool Confirm(std::string_view question, std::string_view choices = "(Yes/No)");

// The text Windows gives for an error code, without its line break.
std::string ErrorText(int32_t code);

}  // namespace tav::vpc_tool
