// CommandLineToArgvW's splitting, the same on every platform.
#include "platform/process.h"

namespace tav::platform {

std::vector<std::string> SplitCommandLine(std::string_view line) {
  std::vector<std::string> args;
  size_t i = 0;
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  // The program name: up to the closing quote or the first blank, no escapes.
  while (i < line.size() && blank(line[i])) ++i;
  if (i >= line.size()) return args;
  std::string first;
  if (line[i] == '"') {
    ++i;
    while (i < line.size() && line[i] != '"') first += line[i++];
    if (i < line.size()) ++i;
  } else {
    while (i < line.size() && !blank(line[i])) first += line[i++];
  }
  args.push_back(std::move(first));
  for (;;) {
    while (i < line.size() && blank(line[i])) ++i;
    if (i >= line.size()) break;
    std::string arg;
    bool quoted = false;
    while (i < line.size() && (quoted || !blank(line[i]))) {
      if (line[i] == '\\') {
        size_t slashes = 0;
        while (i < line.size() && line[i] == '\\') {
          ++slashes;
          ++i;
        }
        if (i < line.size() && line[i] == '"') {
          arg.append(slashes / 2, '\\');
          if (slashes % 2) {
            arg += '"';
            ++i;
          }
        } else {
          arg.append(slashes, '\\');
        }
      } else if (line[i] == '"') {
        // Inside quotes, a doubled quote is one literal quote and also ends
        // the quoted part (CommandLineToArgvW, unlike the newer C runtimes).
        if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
          arg += '"';
          i += 2;
          quoted = false;
        } else {
          quoted = !quoted;
          ++i;
        }
      } else {
        arg += line[i++];
      }
    }
    args.push_back(std::move(arg));
  }
  return args;
}

}  // namespace tav::platform
