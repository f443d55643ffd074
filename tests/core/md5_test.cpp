#include "core/md5.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "platform/file_system.h"
#include "tests/support/temp_machine.h"

namespace tav {
namespace {

struct DigestRow {
  std::string text;
  std::string hex;
};

std::string Hex(const Md5Digest& digest) {
  return MD5DigestToHex(digest);
}

// The test suite of RFC 1321, appendix A.5.
TEST(Md5Test, StringsGiveTheRfcDigests) {
  const DigestRow rows[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  testing::TempMachine pc;
  for (const DigestRow& row : rows) {
    EXPECT_EQ(Hex(MD5String(row.text)), row.hex) << "text \"" << row.text << "\"";
  }
}

TEST(Md5Test, StringsAreDigestedInTheAnsiCodePage) {
  testing::TempMachine pc;                                                    // code page 1252
  EXPECT_EQ(Hex(MD5String("\xC3\xA9")), "3406877694691ddd1dfb0aca54681407");  // "é" is E9
  // Letters the code page lacks become "?", as on Windows.
  EXPECT_EQ(Hex(MD5String("Привет")), "df64dc2eb4a0b85091dd31eb4923eaac");  // "??????"
}

TEST(Md5Test, BytesAreDigestedAsTheyStand) {
  // Not text: a zip's first bytes, invalid as UTF-8, with a NUL among them.
  const std::string bytes("\xff\x00\x80PK\x03\x04", 7);
  testing::TempMachine pc;
  EXPECT_EQ(Hex(MD5Bytes(bytes)), "63c5b4de581470f660f5924ccc2ea317");
  EXPECT_NE(Hex(MD5String(bytes)), Hex(MD5Bytes(bytes)));
}

TEST(Md5Test, WideStringsDigestAsManyBytesAsTheTextHasCharacters) {
  const DigestRow rows[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"ab", "4144e195f46de78a3623da7364d04f11"},                // 61 00
      {"\xC3\xA9", "3406877694691ddd1dfb0aca54681407"},          // E9 of E9 00
      {"Привет", "0a39c0c0df67116420860b627858bd5f"},            // 6 of 12 bytes
      {"\xF0\x9F\x98\x80", "c6aece66ba311344132658216942344d"},  // a surrogate pair: 3D D8
  };
  for (const DigestRow& row : rows) {
    EXPECT_EQ(Hex(MD5WideString(row.text)), row.hex) << "text \"" << row.text << "\"";
  }
}

class Md5FileTest : public ::testing::Test {
 protected:
  // md5sum's digest of the file, for comparison with an independent tool.
  std::string HostMd5(const std::string& windows_path) {
    const std::string command = "md5sum '" + pc_.Host(windows_path) + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
      return {};
    char line[128] = {};
    const bool read = fgets(line, sizeof line, pipe) != nullptr;
    pclose(pipe);
    return read ? std::string(line).substr(0, 32) : std::string();
  }

  testing::TempMachine pc_;
};

TEST_F(Md5FileTest, FileBiggerThanOneBlockMatchesMd5sum) {
  std::mt19937 random(7);
  std::string content(9 * 1024 * 1024 + 123, '\0');
  for (char& c : content)
    c = static_cast<char>(random());
  const std::string path = pc_.WriteFile("C:\\Data\\big.bin", content);
  Md5Digest digest{};
  ASSERT_TRUE(MD5File(path, &digest));
  EXPECT_EQ(Hex(digest), HostMd5(path));
}

TEST_F(Md5FileTest, EmptyFile) {
  const std::string path = pc_.WriteFile("C:\\Data\\empty.bin", "");
  Md5Digest digest{};
  ASSERT_TRUE(MD5File(path, &digest));
  EXPECT_EQ(Hex(digest), "d41d8cd98f00b204e9800998ecf8427e");
}

TEST_F(Md5FileTest, MissingFileFails) {
  Md5Digest digest{};
  EXPECT_FALSE(MD5File("C:\\Data\\missing.bin", &digest));
}

TEST_F(Md5FileTest, FileOpenForWritingByAnotherHandleIsRead) {
  const std::string path = pc_.WriteFile("C:\\Data\\program.log", "abc");
  platform::File writer;
  ASSERT_TRUE(writer.Open(path, platform::File::kWrite,
                          platform::File::kShareRead | platform::File::kShareWrite,
                          platform::File::kOpenExisting));
  Md5Digest digest{};
  ASSERT_TRUE(MD5File(path, &digest));
  EXPECT_EQ(Hex(digest), "900150983cd24fb0d6963f7d28e17f72");
}

TEST_F(Md5FileTest, FileLockedAgainstReadersFails) {
  const std::string path = pc_.WriteFile("C:\\Data\\locked.bin", "abc");
  platform::File holder;
  ASSERT_TRUE(holder.Open(path, platform::File::kRead | platform::File::kWrite, 0,
                          platform::File::kOpenExisting));
  Md5Digest digest{};
  EXPECT_FALSE(MD5File(path, &digest));
}

}  // namespace
}  // namespace tav
