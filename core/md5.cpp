#include "core/md5.h"

#include <openssl/evp.h>

#include <memory>
#include <vector>

#include "platform/file_system.h"
#include "platform/locale_info.h"
#include "platform/text.h"

namespace tav {

namespace {

// Large blocks keep a driver package's digest at disk speed.
constexpr size_t kFileBlockBytes = 4u << 20;

struct ContextDeleter {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
using Context = std::unique_ptr<EVP_MD_CTX, ContextDeleter>;

Context StartDigest() {
  Context context(EVP_MD_CTX_new());
  if (context && EVP_DigestInit_ex(context.get(), EVP_md5(), nullptr) != 1)
    context.reset();
  return context;
}

Md5Digest FinishDigest(EVP_MD_CTX* context) {
  Md5Digest digest{};
  unsigned int size = 0;
  EVP_DigestFinal_ex(context, digest.data(), &size);
  return digest;
}

Md5Digest DigestBytes(const void* data, size_t size) {
  Context context = StartDigest();
  if (!context)
    return {};
  EVP_DigestUpdate(context.get(), data, size);
  return FinishDigest(context.get());
}

}  // namespace

Md5Digest MD5String(std::string_view text) {
  const std::string ansi = platform::Utf8ToAnsi(text);
  return DigestBytes(ansi.data(), ansi.size());
}

Md5Digest MD5Bytes(std::string_view bytes) {
  return DigestBytes(bytes.data(), bytes.size());
}

Md5Digest MD5WideString(std::string_view text) {
  const std::vector<uint8_t> wide = Utf8ToUtf16leBytes(text, false);
  // Half the bytes: the length in characters counted as bytes.
  return DigestBytes(wide.data(), wide.size() / 2);
}

bool MD5File(std::string_view path, Md5Digest* digest) {
  platform::File file;
  if (!file.Open(path, platform::File::kRead,
                 platform::File::kShareRead | platform::File::kShareWrite,
                 platform::File::kOpenExisting)) {
    return false;
  }
  Context context = StartDigest();
  if (!context)
    return false;
  std::unique_ptr<uint8_t[]> buffer(new uint8_t[kFileBlockBytes]);
  for (;;) {
    size_t got = 0;
    if (!file.Read(buffer.get(), kFileBlockBytes, &got))
      return false;
    if (got == 0)
      break;
    EVP_DigestUpdate(context.get(), buffer.get(), got);
  }
  *digest = FinishDigest(context.get());
  return true;
}

std::string MD5DigestToHex(const Md5Digest& digest) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(digest.size() * 2);
  for (uint8_t byte : digest) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 0x0F];
  }
  return hex;
}

}  // namespace tav
