#include "core/ini_file.h"

#include "core/file_bytes.h"
#include "core/text_utils.h"
#include "platform/file_system.h"
#include "platform/locale_info.h"
#include "platform/text.h"

namespace tav {

namespace {

// Text of a work file in its own encoding: a UTF-16LE or UTF-8 byte-order mark
// says so, anything else is the ANSI code page.
std::string DecodeFileText(const std::string& bytes) {
  if (bytes.size() >= 2 && static_cast<uint8_t>(bytes[0]) == 0xFF &&
      static_cast<uint8_t>(bytes[1]) == 0xFE) {
    return Utf16leBytesToUtf8(reinterpret_cast<const uint8_t*>(bytes.data()) + 2, bytes.size() - 2);
  }
  if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
    return bytes.substr(3);
  return platform::AnsiToUtf8(bytes);
}

}  // namespace

bool TMemIniFile::Line::HasKey(std::string_view wanted) const {
  return key_size > 0 && EqualsFolded(key(), wanted);
}

bool TMemIniFile::Line::Make(std::string_view raw, Line* l) {
  const std::string_view line = TrimView(raw);
  if (line.empty() || line[0] == ';')
    return false;
  const size_t eq = line.find('=');
  if (eq == std::string_view::npos) {
    l->text = line;
    l->key_size = 0;
    return true;
  }
  const std::string_view key = TrimView(line.substr(0, eq));
  const std::string_view value = TrimView(line.substr(eq + 1));
  l->key_size = key.size();
  l->text.clear();
  l->text.reserve(key.size() + 1 + value.size());
  l->text.append(key).append(1, '=').append(value);
  return true;
}

void TMemIniFile::AppendLines(std::string_view section, const std::vector<std::string>& lines) {
  Section& s = AddSection(section);
  s.lines.reserve(s.lines.size() + lines.size());
  for (const std::string& raw : lines) {
    Line l;
    if (Line::Make(raw, &l))
      s.lines.push_back(std::move(l));
  }
}

TMemIniFile::TMemIniFile(std::string file_name) : file_name_(std::move(file_name)) {
  if (file_name_.empty())
    return;
  std::string bytes;
  if (ReadFileBytes(file_name_, &bytes))
    SetText(DecodeFileText(bytes));
}

TMemIniFile::~TMemIniFile() = default;
TMemIniFile::TMemIniFile(TMemIniFile&&) noexcept = default;
TMemIniFile& TMemIniFile::operator=(TMemIniFile&&) noexcept = default;

void TMemIniFile::Reindex() {
  index_.clear();
  for (auto& s : sections_)
    index_.emplace(FoldCase(s->name), s.get());
}

TMemIniFile::Section* TMemIniFile::FindSection(std::string_view name) {
  const auto it = index_.find(FoldCase(name));
  return it == index_.end() ? nullptr : it->second;
}

const TMemIniFile::Section* TMemIniFile::FindSection(std::string_view name) const {
  const auto it = index_.find(FoldCase(name));
  return it == index_.end() ? nullptr : it->second;
}

TMemIniFile::Section& TMemIniFile::AddSection(std::string_view name) {
  if (Section* existing = FindSection(name))
    return *existing;
  sections_.push_back(std::make_unique<Section>());
  sections_.back()->name = name;
  index_.emplace(FoldCase(name), sections_.back().get());
  return *sections_.back();
}

void TMemIniFile::SetText(std::string_view text) {
  Clear();
  Section* current = nullptr;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos)
      end = text.size();
    const std::string_view line = TrimView(text.substr(start, end - start));
    start = end + 1;
    if (line.empty() || line[0] == ';')
      continue;
    if (line.front() == '[' && line.back() == ']') {
      current = &AddSection(TrimView(line.substr(1, line.size() - 2)));
      continue;
    }
    if (!current)
      continue;
    Line l;
    if (Line::Make(line, &l))
      current->lines.push_back(std::move(l));
  }
}

std::string TMemIniFile::GetText() const {
  size_t size = 0;
  for (const auto& s : sections_) {
    size += s->name.size() + 6;
    for (const Line& l : s->lines)
      size += l.text.size() + 2;
  }
  std::string out;
  out.reserve(size);
  for (const auto& s : sections_) {
    out.append(1, '[').append(s->name).append("]\r\n");
    for (const Line& l : s->lines)
      out.append(l.text).append("\r\n");
    out.append("\r\n");
  }
  return out;
}

std::string TMemIniFile::ReadString(std::string_view section,
                                    std::string_view key,
                                    std::string_view fallback) const {
  if (const Section* s = FindSection(section)) {
    for (const Line& l : s->lines) {
      if (l.HasKey(key))
        return l.text.substr(l.key_size + 1);
    }
  }
  return std::string(fallback);
}

int64_t TMemIniFile::ReadInteger(std::string_view section,
                                 std::string_view key,
                                 int64_t fallback) const {
  return StrToIntDef(ReadString(section, key, ""), fallback);
}

bool TMemIniFile::ReadBool(std::string_view section, std::string_view key, bool fallback) const {
  return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

DateTime TMemIniFile::ReadDate(std::string_view section,
                               std::string_view key,
                               DateTime fallback,
                               const TFormatSettings& fs) const {
  DateTime value = 0;
  const std::string text = ReadString(section, key, "");
  return (!text.empty() && TryStrToDate(text, fs, &value)) ? value : fallback;
}

double TMemIniFile::ReadFloat(std::string_view section,
                              std::string_view key,
                              double fallback,
                              const TFormatSettings& fs) const {
  double value = 0;
  const std::string text = ReadString(section, key, "");
  return (!text.empty() && TryStrToFloat(text, fs, &value)) ? value : fallback;
}

void TMemIniFile::WriteString(std::string_view section,
                              std::string_view key,
                              std::string_view value) {
  Section& s = AddSection(section);
  for (Line& l : s.lines) {
    if (l.HasKey(key)) {
      l.text.resize(l.key_size + 1);
      l.text.append(value);
      return;
    }
  }
  Line l;
  l.key_size = key.size();
  l.text.reserve(key.size() + 1 + value.size());
  l.text.append(key).append(1, '=').append(value);
  s.lines.push_back(std::move(l));
}

void TMemIniFile::WriteInteger(std::string_view section, std::string_view key, int64_t value) {
  WriteString(section, key, std::to_string(value));
}

void TMemIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

void TMemIniFile::WriteDate(std::string_view section,
                            std::string_view key,
                            DateTime value,
                            const TFormatSettings& fs) {
  WriteString(section, key, DateToStr(value, fs));
}

void TMemIniFile::WriteFloat(std::string_view section,
                             std::string_view key,
                             double value,
                             const TFormatSettings& fs) {
  WriteString(section, key, FloatToStr(value, fs));
}

std::vector<std::string> TMemIniFile::ReadSections() const {
  std::vector<std::string> names;
  names.reserve(sections_.size());
  for (const auto& s : sections_)
    names.push_back(s->name);
  return names;
}

std::vector<std::string> TMemIniFile::ReadSection(std::string_view section) const {
  std::vector<std::string> keys;
  if (const Section* s = FindSection(section)) {
    for (const Line& l : s->lines) {
      if (l.key_size > 0)
        keys.emplace_back(l.key());
    }
  }
  return keys;
}

std::vector<std::string> TMemIniFile::ReadSectionValues(std::string_view section) const {
  std::vector<std::string> lines;
  if (const Section* s = FindSection(section)) {
    for (const Line& l : s->lines)
      lines.push_back(l.text);
  }
  return lines;
}

bool TMemIniFile::SectionExists(std::string_view section) const {
  return FindSection(section) != nullptr;
}

bool TMemIniFile::ValueExists(std::string_view section, std::string_view key) const {
  if (const Section* s = FindSection(section)) {
    for (const Line& l : s->lines) {
      if (l.HasKey(key))
        return true;
    }
  }
  return false;
}

void TMemIniFile::DeleteKey(std::string_view section, std::string_view key) {
  if (Section* s = FindSection(section)) {
    for (auto it = s->lines.begin(); it != s->lines.end(); ++it) {
      if (it->HasKey(key)) {
        s->lines.erase(it);
        return;
      }
    }
  }
}

void TMemIniFile::EraseSection(std::string_view section) {
  const std::string folded = FoldCase(section);
  for (auto it = sections_.begin(); it != sections_.end(); ++it) {
    if (FoldCase((*it)->name) == folded) {
      sections_.erase(it);
      Reindex();
      return;
    }
  }
}

void TMemIniFile::ClearSection(std::string_view section) {
  if (Section* s = FindSection(section))
    s->lines.clear();
}

void TMemIniFile::Clear() {
  sections_.clear();
  index_.clear();
}

bool TMemIniFile::UpdateFile(int32_t* error) const {
  int32_t ignored = 0;
  int32_t& code = error ? *error : ignored;
  code = 0;
  if (file_name_.empty())
    return false;
  std::string text = GetText();
  // A plain ASCII text is written as it is, without a copy.
  const std::string bytes = IsAscii(text) ? std::move(text) : platform::Utf8ToAnsi(text);
  const std::string temp = file_name_ + ".saving";
  platform::File file;
  if (!file.Open(temp, platform::File::kWrite, platform::File::kShareRead,
                 platform::File::kCreateAlways, &code)) {
    return false;
  }
  const bool written = file.Write(bytes.data(), bytes.size(), &code);
  file.Close();
  if (!written || !platform::MoveFile(temp, file_name_, true, &code)) {
    platform::DeleteFile(temp);
    return false;
  }
  return true;
}

}  // namespace tav
