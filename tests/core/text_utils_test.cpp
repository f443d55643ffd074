#include "core/text_utils.h"

#include <gtest/gtest.h>

namespace tav {
namespace {

TEST(TextUtilsTest, TrimRemovesBlanksAndControlCharacters) {
  EXPECT_EQ(Trim("  \t a b \r\n"), "a b");
  EXPECT_EQ(Trim(""), "");
  EXPECT_EQ(TrimLeft("\x01x "), "x ");
  EXPECT_EQ(TrimRight(" x\x1f"), " x");
}

TEST(TextUtilsTest, TryStrToIntAcceptsOnlyWholeNumbers) {
  struct Row {
    const char* text;
    bool ok;
    int64_t value;
  };
  const Row rows[] = {
      {"0", true, 0},         {"-12", true, -12},   {"+7", true, 7},
      {"$1F", true, 31},      {"0x10", true, 16},   {"", false, 0},
      {" 1", false, 0},       {"1 ", false, 0},     {"1.5", false, 0},
      {"abc", false, 0},      {"-", false, 0},      {"99999999999999999999", false, 0},
      {"9223372036854775807", true, INT64_MAX},     {"-9223372036854775808", true, INT64_MIN},
  };
  for (const Row& row : rows) {
    int64_t value = 0;
    EXPECT_EQ(TryStrToInt(row.text, &value), row.ok) << "text: '" << row.text << "'";
    if (row.ok) {
      EXPECT_EQ(value, row.value) << "text: '" << row.text << "'";
    }
  }
}

TEST(TextUtilsTest, FileNameParts) {
  EXPECT_EQ(ExtractFileName("C:\\a\\b.txt"), "b.txt");
  EXPECT_EQ(ExtractFilePath("C:\\a\\b.txt"), "C:\\a\\");
  EXPECT_EQ(ExtractFileExt("C:\\a.d\\b"), "");
  EXPECT_EQ(ExtractFileExt("b.tar.gz"), ".gz");
  EXPECT_EQ(ChangeFileExt("C:\\x\\Drivers64.db", ".prev"), "C:\\x\\Drivers64.prev");
  EXPECT_EQ(IncludeTrailingBackslash("C:\\x"), "C:\\x\\");
  EXPECT_EQ(ExcludeTrailingBackslash("C:\\x\\"), "C:\\x");
}

TEST(TextUtilsTest, ReplaceAllIgnoreCaseKeepsTheRest) {
  EXPECT_EQ(ReplaceAllIgnoreCase("c:\\Windows\\C:x", "C:", "\\Device\\Hd"),
            "\\Device\\Hd\\Windows\\\\Device\\Hdx");
  EXPECT_EQ(ReplaceAll("a&&b&&&c", "&&", "&"), "a&b&&c");
}

}  // namespace
}  // namespace tav
