#include "platform/linux/reg_file.h"

#include <cstdio>
#include <vector>

#include "platform/linux/registry_store.h"
#include "platform/locale_info.h"
#include "platform/text.h"
#include "platform/win_errors.h"

namespace tav::platform::vpc {

namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";

std::string Quote(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

// "hex(2):" followed by the bytes, wrapped as regedit wraps (lines of at most
// 80 characters, continued with "\" and two blanks).
std::string HexValue(const std::string& lead, const std::vector<uint8_t>& data) {
  std::string out = lead;
  size_t column = lead.size();
  for (size_t i = 0; i < data.size(); ++i) {
    char byte[4];
    std::snprintf(byte, sizeof byte, "%02x", data[i]);
    out += byte;
    column += 2;
    if (i + 1 < data.size()) {
      out += ',';
      ++column;
      if (column > 76) {
        out += "\\\r\n  ";
        column = 2;
      }
    }
  }
  return out;
}

std::string ValueLine(const std::string& name, const RegValue& value) {
  const std::string lead = (name.empty() ? std::string("@") : Quote(name)) + "=";
  switch (value.type) {
    case RegType::kSz: {
      // Text with an embedded NUL or without its terminator is written as hex.
      const std::string text = value.AsString();
      if (value.data == Utf8ToUtf16leBytes(text, true)) return lead + Quote(text);
      return HexValue(lead + "hex(1):", value.data);
    }
    case RegType::kDword:
      if (value.data.size() == 4) {
        char number[16];
        std::snprintf(number, sizeof number, "%08x", value.AsDword());
        return lead + "dword:" + number;
      }
      return HexValue(lead + "hex(4):", value.data);
    case RegType::kBinary: return HexValue(lead + "hex:", value.data);
    default: {
      char type[16];
      std::snprintf(type, sizeof type, "hex(%x):", static_cast<unsigned>(value.type));
      return HexValue(lead + type, value.data);
    }
  }
}

void ExportKey(RegistryStore& store, int64_t id, const std::string& path, std::string* out) {
  *out += "[" + path + "]\r\n";
  std::vector<std::pair<std::string, RegValue>> values;
  store.Values(id, &values);
  for (const auto& [name, value] : values) *out += ValueLine(name, value) + "\r\n";
  *out += "\r\n";
  std::vector<std::pair<int64_t, std::string>> children;
  store.SubKeys(id, &children);
  for (const auto& [child, name] : children) ExportKey(store, child, path + "\\" + name, out);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = AsciiLower(c);
  return (c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1;
}

// One to eight hexadecimal digits.
bool ParseHexNumber(std::string_view digits, uint32_t* number) {
  if (digits.empty() || digits.size() > 8)
    return false;
  *number = 0;
  for (char c : digits) {
    const int d = HexDigit(c);
    if (d < 0)
      return false;
    *number = *number * 16 + static_cast<uint32_t>(d);
  }
  return true;
}

bool ParseHexBytes(std::string_view text, std::vector<uint8_t>* bytes) {
  bytes->clear();
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ' ' || text[i] == ',')) ++i;
    if (i >= text.size()) break;
    if (i + 1 >= text.size() || HexDigit(text[i]) < 0 || HexDigit(text[i + 1]) < 0) return false;
    bytes->push_back(static_cast<uint8_t>(HexDigit(text[i]) * 16 + HexDigit(text[i + 1])));
    i += 2;
  }
  return true;
}

// A quoted text starting at text[*i] == '"'; *i ends after the closing quote.
bool ParseQuoted(std::string_view text, size_t* i, std::string* out) {
  out->clear();
  for (++*i; *i < text.size(); ++*i) {
    const char c = text[*i];
    if (c == '\\' && *i + 1 < text.size()) {
      *out += text[++*i];
    } else if (c == '"') {
      ++*i;
      return true;
    } else {
      *out += c;
    }
  }
  return false;
}

std::vector<std::string> LogicalLines(std::string_view text) {
  std::vector<std::string> lines;
  std::string current;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string line(text.substr(start, end - start));
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!current.empty()) {
      size_t lead = 0;
      while (lead < line.size() && (line[lead] == ' ' || line[lead] == '\t')) ++lead;
      line.erase(0, lead);
    }
    // Only hex data continue on the next line; a quoted text always ends in a quote.
    if (!line.empty() && line.back() == '\\' && (current + line).find("=hex") != std::string::npos) {
      line.pop_back();
      current += line;
      continue;
    }
    current += line;
    lines.push_back(std::move(current));
    current.clear();
    if (end == text.size()) break;
  }
  return lines;
}

}  // namespace

bool ExportRegText(RegRoot root, std::string_view path, std::string* text, std::string* error) {
  RegistryStore store(VirtualPc::Current());
  int64_t id = 0;
  if (store.FindKey(RegistryStore::RootId(root), path, &id) != win_error::kSuccess) {
    *error = "The system was unable to find the specified registry key or value.";
    return false;
  }
  std::string full = RegRootName(root);
  if (id != RegistryStore::RootId(root)) full = store.KeyPath(id);
  *text = std::string(kHeader) + "\r\n\r\n";
  ExportKey(store, id, full, text);
  return true;
}

bool ImportRegText(std::string_view text, std::string* error) {
  RegistryStore store(VirtualPc::Current());
  const std::vector<std::string> lines = LogicalLines(text);
  size_t index = 0;
  while (index < lines.size() && lines[index].empty()) ++index;
  if (index >= lines.size() || (lines[index] != kHeader && lines[index] != "REGEDIT4")) {
    *error = "The specified file is not a registry script.";
    return false;
  }
  store.Begin();
  int64_t key = 0;
  bool have_key = false;
  auto fail = [&](size_t line_index, const std::string& why) {
    store.Rollback();
    *error = "line " + std::to_string(line_index + 1) + ": " + why;
    return false;
  };
  for (++index; index < lines.size(); ++index) {
    const std::string& line = lines[index];
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      const size_t close = line.rfind(']');
      if (close == std::string::npos) return fail(index, "a key line must end with ]");
      std::string path = line.substr(1, close - 1);
      const bool remove = !path.empty() && path[0] == '-';
      if (remove) path.erase(0, 1);
      const size_t slash = path.find('\\');
      RegRoot root;
      if (!ParseRegRoot(path.substr(0, slash), &root)) return fail(index, "unknown root key");
      const std::string sub = slash == std::string::npos ? "" : path.substr(slash + 1);
      if (!store.WriteAllowed(root)) return fail(index, "access is denied");
      if (remove) {
        // A root key cannot be deleted; regedit skips the line.
        int64_t id = 0;
        if (!sub.empty() && store.FindKey(RegistryStore::RootId(root), sub, &id) == 0) {
          store.DeleteTree(id, true);
        }
        have_key = false;
      } else {
        if (store.CreateKey(RegistryStore::RootId(root), sub, &key, nullptr) != 0) {
          return fail(index, "cannot create the key");
        }
        have_key = true;
      }
      continue;
    }
    if (!have_key) continue;  // values of a deleted or missing key are ignored
    size_t i = 0;
    std::string name;
    if (line[0] == '@') {
      i = 1;
    } else if (line[0] == '"') {
      if (!ParseQuoted(line, &i, &name)) return fail(index, "unterminated value name");
    } else {
      return fail(index, "a value line must start with a quoted name or @");
    }
    while (i < line.size() && line[i] == ' ') ++i;
    if (i >= line.size() || line[i] != '=') return fail(index, "expected =");
    ++i;
    while (i < line.size() && line[i] == ' ') ++i;
    const std::string_view data = std::string_view(line).substr(i);
    RegValue value;
    if (data == "-") {
      store.DeleteValue(key, name);
      continue;
    }
    if (!data.empty() && data[0] == '"') {
      size_t j = 0;
      std::string textual;
      if (!ParseQuoted(data, &j, &textual)) return fail(index, "unterminated text");
      value = RegValue::String(textual);
    } else if (data.rfind("dword:", 0) == 0) {
      uint32_t number = 0;
      if (!ParseHexNumber(data.substr(6), &number))
        return fail(index, "bad dword");
      value = RegValue::Dword(number);
    } else if (data.rfind("hex", 0) == 0) {
      size_t colon = data.find(':');
      if (colon == std::string_view::npos) return fail(index, "bad hex value");
      uint32_t type = static_cast<uint32_t>(RegType::kBinary);
      if (data.size() > 3 && data[3] == '(') {
        const size_t close = data.find(')');
        if (close == std::string_view::npos || close > colon ||
            !ParseHexNumber(data.substr(4, close - 4), &type)) {
          return fail(index, "bad hex type");
        }
      } else if (colon != 3) {
        return fail(index, "bad hex value");
      }
      value.type = static_cast<RegType>(type);
      if (!ParseHexBytes(data.substr(colon + 1), &value.data)) return fail(index, "bad hex bytes");
    } else {
      return fail(index, "unknown value form");
    }
    if (store.SetValue(key, name, value) != 0) return fail(index, "cannot write the value");
  }
  store.Commit();
  return true;
}

std::string EncodeRegFile(std::string_view text) {
  std::string out = "\xFF\xFE";
  const std::vector<uint8_t> bytes = Utf8ToUtf16leBytes(text, false);
  out.append(bytes.begin(), bytes.end());
  return out;
}

std::string DecodeRegFile(std::string_view bytes) {
  if (bytes.size() >= 2 && static_cast<uint8_t>(bytes[0]) == 0xFF &&
      static_cast<uint8_t>(bytes[1]) == 0xFE) {
    std::u16string wide;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      wide.push_back(static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) |
                                           (static_cast<uint8_t>(bytes[i + 1]) << 8)));
    }
    return Utf16ToUtf8(wide);
  }
  if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") return std::string(bytes.substr(3));
  if (bytes.rfind("REGEDIT4", 0) == 0) return AnsiToUtf8(bytes);
  return std::string(bytes);
}

}  // namespace tav::platform::vpc
