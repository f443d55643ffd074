#include "core/settings_access.h"

#include <cstring>

#include "core/text_utils.h"

namespace tav {

using platform::RegAccess;
using platform::RegistryKey;
using platform::RegRoot;
using platform::RegType;
using platform::RegValue;

namespace {

bool ReadValue(RegRoot root, std::string_view key, std::string_view name, RegValue* value) {
  RegistryKey k;
  return k.Open(root, key, RegAccess::kRead) == 0 && k.QueryValue(name, value) == 0;
}

void WriteValue(RegRoot root, std::string_view key, std::string_view name, const RegValue& value) {
  RegistryKey k;
  if (k.Create(root, key) == 0) k.SetValue(name, value);
}

}  // namespace

std::string RegReadString(RegRoot root, std::string_view key, std::string_view name) {
  RegValue v;
  if (!ReadValue(root, key, name, &v) || (v.type != RegType::kSz && v.type != RegType::kExpandSz)) {
    return {};
  }
  return Trim(v.AsString());
}

int32_t RegReadInteger(RegRoot root, std::string_view key, std::string_view name) {
  RegValue v;
  if (!ReadValue(root, key, name, &v) || v.type != RegType::kDword) return 0;
  return static_cast<int32_t>(v.AsDword());
}

bool RegReadBool(RegRoot root, std::string_view key, std::string_view name) {
  return RegReadInteger(root, key, name) != 0;
}

DateTime RegReadDate(RegRoot root, std::string_view key, std::string_view name) {
  RegValue v;
  if (!ReadValue(root, key, name, &v) || v.type != RegType::kBinary || v.data.size() != 8) return 0;
  double value = 0;
  std::memcpy(&value, v.data.data(), 8);
  return value;
}

void RegWriteString(RegRoot root, std::string_view key, std::string_view name,
                    std::string_view value) {
  WriteValue(root, key, name, RegValue::String(value));
}

void RegWriteInteger(RegRoot root, std::string_view key, std::string_view name, int32_t value) {
  WriteValue(root, key, name, RegValue::Dword(static_cast<uint32_t>(value)));
}

void RegWriteBool(RegRoot root, std::string_view key, std::string_view name, bool value) {
  RegWriteInteger(root, key, name, value ? 1 : 0);
}

void RegWriteDate(RegRoot root, std::string_view key, std::string_view name, DateTime value) {
  std::vector<uint8_t> bytes(8);
  std::memcpy(bytes.data(), &value, 8);
  WriteValue(root, key, name, RegValue::Binary(std::move(bytes)));
}

bool RegValueExists(RegRoot root, std::string_view key, std::string_view name) {
  RegValue v;
  return ReadValue(root, key, name, &v);
}

void RegDeleteValue(RegRoot root, std::string_view key, std::string_view name) {
  RegistryKey k;
  if (k.Open(root, key, RegAccess::kWrite) == 0) k.DeleteValue(name);
}

bool RegKeyExists(RegRoot root, std::string_view key) {
  RegistryKey k;
  return k.Open(root, key, RegAccess::kRead) == 0;
}

}  // namespace tav
