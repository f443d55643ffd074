// Message boxes on the terminal. Without a terminal no one can answer: a
// question then answers No and any other box OK, so nothing is done that a
// user did not agree to.
#include "platform/message_box.h"

#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>

namespace tav::platform {

int MessageBox(std::string_view text, std::string_view caption, uint32_t flags) {
  const bool question = (flags & 0xF) == mb::kYesNo;
  const bool interactive = isatty(STDIN_FILENO) && isatty(STDERR_FILENO);
  std::fprintf(stderr, "[%.*s] %.*s\n", static_cast<int>(caption.size()), caption.data(),
               static_cast<int>(text.size()), text.data());
  if (!question) return mb_result::kOk;
  if (!interactive) {
    std::fprintf(stderr, "(no one to answer: No)\n");
    return mb_result::kNo;
  }
  for (;;) {
    std::fprintf(stderr, "Yes or No? [y/n] ");
    std::fflush(stderr);
    std::string answer;
    if (!std::getline(std::cin, answer)) return mb_result::kNo;
    if (!answer.empty() && (answer[0] == 'y' || answer[0] == 'Y')) return mb_result::kYes;
    if (!answer.empty() && (answer[0] == 'n' || answer[0] == 'N')) return mb_result::kNo;
  }
}

void Beep(uint32_t, uint32_t) {}

}  // namespace tav::platform
