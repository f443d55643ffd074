// CommandLineToArgvW's splitting, which the program's own command line and
// every program it starts go through.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/process.h"

namespace tav::platform {
namespace {

struct SplitCase {
  const char* line;
  std::vector<std::string> args;
};

TEST(CommandLineTest, LinesSplitAsCommandLineToArgvWSplitsThem) {
  const SplitCase cases[] = {
      {"prog a b", {"prog", "a", "b"}},
      {"\"C:\\Program Files\\Tavrolin\\Tavrolin.exe\" /silent",
       {"C:\\Program Files\\Tavrolin\\Tavrolin.exe", "/silent"}},
      {"prog \"a b\" c", {"prog", "a b", "c"}},
      {"prog a\\\\b", {"prog", "a\\\\b"}},
      {"prog a\\\"b", {"prog", "a\"b"}},
      {"prog a\\\\\\\"b", {"prog", "a\\\"b"}},
      {"prog a\\\\\"b c\"", {"prog", "a\\b c"}},
      {"prog \"trailing\\\\\"", {"prog", "trailing\\"}},
      {"prog \"a\"\"b\"", {"prog", "a\"b"}},
      {"prog \"a\"\" b\"", {"prog", "a\"", "b"}},
      {"prog \"\"\"a\"\"\"", {"prog", "\"a\""}},
      {"prog \"\"", {"prog", ""}},
      {"prog a\"\"b", {"prog", "ab"}},
      {"   prog   a   ", {"prog", "a"}},
      {"prog\ta\t\"b\tc\"", {"prog", "a", "b\tc"}},
      {"\"prog\"x y", {"prog", "x", "y"}},
      {"C:\\dir\\prog.exe \"C:\\x y\\\"", {"C:\\dir\\prog.exe", "C:\\x y\""}},
      {"\"C:\\un closed", {"C:\\un closed"}},
      {"", {}},
  };
  for (const SplitCase& c : cases) {
    EXPECT_EQ(SplitCommandLine(c.line), c.args) << "line: [" << c.line << "]";
  }
}

}  // namespace
}  // namespace tav::platform
