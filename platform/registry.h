// The Windows registry: keys with sub-keys and typed values under a few root
// keys. Names of keys and values compare without regard to letter case and
// keep the case they were created with. Value data are stored as Windows
// stores them (REG_SZ is UTF-16LE with a terminating NUL), so readers that
// take a value as raw bytes see what they would see on Windows.
//
// Every call returns a Windows error code (win_errors.h): kSuccess,
// kFileNotFound for a missing key or value, kAccessDenied when the machine
// refuses write access, kKeyDeleted for a key deleted while open, kMoreData
// never (buffers are sized by the callee).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tav::platform {

enum class RegRoot { kClassesRoot, kCurrentUser, kLocalMachine, kUsers };

enum class RegType : uint32_t {
  kNone = 0,
  kSz = 1,
  kExpandSz = 2,
  kBinary = 3,
  kDword = 4,
  kMultiSz = 7,
  kQword = 11,
};

enum class RegAccess { kRead, kWrite, kAll };

struct RegValue {
  RegType type = RegType::kNone;
  std::vector<uint8_t> data;

  static RegValue String(std::string_view utf8, RegType type = RegType::kSz);
  static RegValue MultiString(const std::vector<std::string>& utf8_items);
  static RegValue Dword(uint32_t value);
  static RegValue Qword(uint64_t value);
  static RegValue Binary(std::vector<uint8_t> bytes);

  // The data read as text: UTF-16LE up to the first NUL (any type).
  std::string AsString() const;
  // The strings of a REG_MULTI_SZ, up to the first empty one.
  std::vector<std::string> AsMultiString() const;
  // The first four bytes as a little-endian number (0 when shorter).
  uint32_t AsDword() const;
  uint64_t AsQword() const;
};

// "HKEY_LOCAL_MACHINE", "HKLM" and the other names reg.exe accepts.
bool ParseRegRoot(std::string_view name, RegRoot* root);
std::string RegRootName(RegRoot root);
std::string RegTypeName(RegType type);  // "REG_SZ", ...

class RegistryKey {
 public:
  RegistryKey();
  ~RegistryKey();
  RegistryKey(RegistryKey&&) noexcept;
  RegistryKey& operator=(RegistryKey&&) noexcept;

  // RegOpenKeyEx: opens an existing key. The path uses "\" separators; a
  // leading "\" and an empty path (the root itself) are accepted.
  int32_t Open(RegRoot root, std::string_view path, RegAccess access);
  // RegCreateKeyEx: opens the key, creating it and its missing parents.
  int32_t Create(RegRoot root, std::string_view path, bool* created = nullptr);
  // Sub-key relative to this key.
  int32_t OpenSubKey(std::string_view path, RegAccess access, RegistryKey* out) const;
  int32_t CreateSubKey(std::string_view path, RegistryKey* out, bool* created = nullptr) const;
  void Close();
  bool IsOpen() const;

  int32_t QueryValue(std::string_view name, RegValue* value) const;
  int32_t SetValue(std::string_view name, const RegValue& value);
  int32_t DeleteValue(std::string_view name);

  // Names in the order of creation (a stable order, as Windows' enumeration
  // order is stable for a key that does not change).
  int32_t EnumSubKeys(std::vector<std::string>* names) const;
  int32_t EnumValues(std::vector<std::string>* names) const;

  // RegDeleteKey: deletes a sub-key that has no sub-keys of its own.
  int32_t DeleteSubKey(std::string_view name);
  // RegDeleteTree: deletes a sub-key with everything below it; an empty name
  // deletes the contents of this key (its values and sub-keys).
  int32_t DeleteTree(std::string_view name);

  // The key's name as stored, and its full path below the root.
  std::string Name() const;

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace tav::platform
