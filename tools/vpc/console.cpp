#include "tools/vpc/console.h"

#include <cstdio>
#include <iostream>

#include "platform/error_text.h"
#include "platform/text.h"

namespace tav::vpc_tool {

void PrintLine(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fputc('\n', stdout);
}

void PrintErrorLine(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fputc('\n', stderr);
}

bool Confirm(std::string_view question, std::string_view choices) {
  for (;;) {
    std::printf("%.*s %.*s? ", static_cast<int>(question.size()), question.data(),
                static_cast<int>(choices.size()), choices.data());
    std::fflush(stdout);
    std::string answer;
    if (!std::getline(std::cin, answer)) {
      std::fputc('\n', stdout);
      return false;
    }
    const char first = AsciiUpper(answer.empty() ? '\0' : answer[0]);
    if (first == 'Y')
      return true;
    if (first == 'N')
      return false;
  }
}

std::string ErrorText(int32_t code) {
  std::string text = platform::SystemErrorMessage(code);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
    text.pop_back();
  return text.empty() ? "Error " + std::to_string(code) + "." : text;
}

}  // namespace tav::vpc_tool
