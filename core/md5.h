// MD5 digests (RFC 1321) through OpenSSL's EVP interface.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tav {

using Md5Digest = std::array<uint8_t, 16>;

// The bytes of a single-byte string (the system's ANSI code page).
Md5Digest MD5String(std::string_view text);
// Bytes as they stand (file contents): no conversion of any kind.
Md5Digest MD5Bytes(std::string_view bytes);
// The first N bytes of the text's UTF-16LE form, N being its length in
// characters: identifiers made this way are stored and compared elsewhere,
// so the rule is part of their format ("ab" digests the bytes 61 00).
Md5Digest MD5WideString(std::string_view text);
// The whole file, read with sharing allowed; false when it cannot be opened.
bool MD5File(std::string_view path, Md5Digest* digest);
// 32 lower-case hexadecimal digits.
std::string MD5DigestToHex(const Md5Digest& digest);

}  // namespace tav
