// The parts of registry.h that are the same on every platform.
#include "platform/registry.h"

#include "platform/text.h"

namespace tav::platform {

RegValue RegValue::String(std::string_view utf8, RegType type) {
  return {type, Utf8ToUtf16leBytes(utf8, true)};
}

RegValue RegValue::MultiString(const std::vector<std::string>& utf8_items) {
  RegValue v{RegType::kMultiSz, {}};
  for (const std::string& item : utf8_items) {
    const auto bytes = Utf8ToUtf16leBytes(item, true);
    v.data.insert(v.data.end(), bytes.begin(), bytes.end());
  }
  v.data.push_back(0);
  v.data.push_back(0);
  return v;
}

RegValue RegValue::Dword(uint32_t value) {
  return {RegType::kDword,
          {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
           static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)}};
}

RegValue RegValue::Qword(uint64_t value) {
  RegValue v{RegType::kQword, {}};
  for (int i = 0; i < 8; ++i) v.data.push_back(static_cast<uint8_t>(value >> (8 * i)));
  return v;
}

RegValue RegValue::Binary(std::vector<uint8_t> bytes) { return {RegType::kBinary, std::move(bytes)}; }

std::string RegValue::AsString() const { return Utf16leBytesToUtf8(data.data(), data.size()); }

std::vector<std::string> RegValue::AsMultiString() const {
  std::vector<std::string> items;
  std::u16string current;
  for (size_t i = 0; i + 1 < data.size(); i += 2) {
    const char16_t c = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (c == 0) {
      if (current.empty()) break;
      items.push_back(Utf16ToUtf8(current));
      current.clear();
    } else {
      current.push_back(c);
    }
  }
  if (!current.empty()) items.push_back(Utf16ToUtf8(current));
  return items;
}

uint32_t RegValue::AsDword() const {
  if (data.size() < 4) return 0;
  return static_cast<uint32_t>(data[0]) | (static_cast<uint32_t>(data[1]) << 8) |
         (static_cast<uint32_t>(data[2]) << 16) | (static_cast<uint32_t>(data[3]) << 24);
}

uint64_t RegValue::AsQword() const {
  if (data.size() < 8) return AsDword();
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | data[static_cast<size_t>(i)];
  return v;
}

bool ParseRegRoot(std::string_view name, RegRoot* root) {
  struct Name {
    std::string_view long_name, short_name;
    RegRoot root;
  };
  static constexpr Name kNames[] = {
      {"HKEY_CLASSES_ROOT", "HKCR", RegRoot::kClassesRoot},
      {"HKEY_CURRENT_USER", "HKCU", RegRoot::kCurrentUser},
      {"HKEY_LOCAL_MACHINE", "HKLM", RegRoot::kLocalMachine},
      {"HKEY_USERS", "HKU", RegRoot::kUsers},
  };
  for (const Name& n : kNames) {
    if (EqualsIgnoreCase(name, n.long_name) || EqualsIgnoreCase(name, n.short_name)) {
      *root = n.root;
      return true;
    }
  }
  return false;
}

std::string RegRootName(RegRoot root) {
  switch (root) {
    case RegRoot::kClassesRoot: return "HKEY_CLASSES_ROOT";
    case RegRoot::kCurrentUser: return "HKEY_CURRENT_USER";
    case RegRoot::kLocalMachine: return "HKEY_LOCAL_MACHINE";
    case RegRoot::kUsers: return "HKEY_USERS";
  }
  return {};
}

std::string RegTypeName(RegType type) {
  switch (type) {
    case RegType::kNone: return "REG_NONE";
    case RegType::kSz: return "REG_SZ";
    case RegType::kExpandSz: return "REG_EXPAND_SZ";
    case RegType::kBinary: return "REG_BINARY";
    case RegType::kDword: return "REG_DWORD";
    case RegType::kMultiSz: return "REG_MULTI_SZ";
    case RegType::kQword: return "REG_QWORD";
  }
  return "REG_0x" + std::to_string(static_cast<uint32_t>(type));
}

}  // namespace tav::platform
