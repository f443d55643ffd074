#include "matching/inf_file.h"

#include <cstdio>

#include "core/log_engine.h"
#include "core/text_utils.h"
#include "matching/inf_encoding.h"
#include "platform/file_system.h"

namespace tav {

namespace {

std::vector<std::string> SplitTextLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n')
      continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
      ++i;
    start = i + 1;
  }
  if (start < text.size())
    lines.emplace_back(text.substr(start));
  return lines;
}

std::string StripComment(std::string_view line) {
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"')
      quoted = !quoted;
    if (line[i] == ';' && !quoted)
      return std::string(line.substr(0, i));
  }
  return std::string(line);
}

// Physical lines to logical ones: comments gone, continuations joined.
std::vector<std::string> LogicalLines(const std::vector<std::string>& physical) {
  std::vector<std::string> logical;
  std::string pending;
  bool continuing = false;
  for (const std::string& line : physical) {
    std::string text = TrimRight(StripComment(line));
    const bool continues = !text.empty() && text.back() == '\\';
    if (continues)
      text.pop_back();
    pending = continuing ? pending + text : text;
    continuing = continues;
    if (!continuing)
      logical.push_back(Trim(pending));
  }
  if (continuing)
    logical.push_back(Trim(pending));
  return logical;
}

// Positions of a separator outside double quotes.
std::vector<std::string> SplitOutsideQuotes(std::string_view text, char separator) {
  std::vector<std::string> parts;
  bool quoted = false;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '"')
      quoted = !quoted;
    if (text[i] == separator && !quoted) {
      parts.push_back(Trim(text.substr(start, i - start)));
      start = i + 1;
    }
  }
  parts.push_back(Trim(text.substr(start)));
  return parts;
}

size_t FindOutsideQuotes(std::string_view text, char c) {
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '"')
      quoted = !quoted;
    if (text[i] == c && !quoted)
      return i;
  }
  return std::string_view::npos;
}

// Quotes removed ("" inside quotes is one quote), nothing replaced.
std::string Unquote(std::string_view text) {
  std::string out;
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '"') {
      out += text[i];
    } else if (quoted && i + 1 < text.size() && text[i + 1] == '"') {
      out += '"';
      ++i;
    } else {
      quoted = !quoted;
    }
  }
  return out;
}

bool ParseDate(std::string_view text, std::string* date) {
  std::vector<std::string> parts = Split(Trim(text), '/');
  if (parts.size() != 3)
    parts = Split(Trim(text), '-');
  int64_t month = 0, day = 0, year = 0;
  if (parts.size() != 3 || !TryStrToInt(parts[0], &month) || !TryStrToInt(parts[1], &day) ||
      !TryStrToInt(parts[2], &year) || parts[2].size() != 4) {
    return false;
  }
  if (month < 1 || month > 12 || day < 1 || day > 31 || year < 1980)
    return false;
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", static_cast<int>(year),
                static_cast<int>(month), static_cast<int>(day));
  *date = buffer;
  return true;
}

const std::vector<InfLine>& NoLines() {
  static const std::vector<InfLine> none;
  return none;
}

}  // namespace

InfFile::InfFile() = default;
InfFile::~InfFile() = default;
InfFile::InfFile(InfFile&&) noexcept = default;
InfFile& InfFile::operator=(InfFile&&) noexcept = default;

InfFile InfFile::FromText(std::string_view text, std::string_view locale) {
  InfFile inf;
  inf.Parse(text);
  inf.CollectStrings(locale);
  inf.ResolveLines();
  return inf;
}

InfFile InfFile::FromBytes(std::string_view bytes, uint32_t code_page, std::string_view locale) {
  return FromText(DecodeInfBytes(bytes, code_page), locale);
}

bool InfFile::Load(std::string_view path, InfFile* inf, bool quiet) {
  platform::File file;
  int32_t error = 0;
  if (!file.Open(path, platform::File::kRead,
                 platform::File::kShareRead | platform::File::kShareWrite,
                 platform::File::kOpenExisting, &error)) {
    if (!quiet)
      XLog::Error("InfFile.Load", "Open fail", error, std::string(path));
    return false;
  }
  std::string bytes;
  char buffer[65536];
  for (;;) {
    size_t got = 0;
    if (!file.Read(buffer, sizeof buffer, &got, &error)) {
      if (!quiet)
        XLog::Error("InfFile.Load", "Read fail", error, std::string(path));
      return false;
    }
    if (got == 0)
      break;
    bytes.append(buffer, got);
  }
  *inf = FromBytes(bytes);
  return true;
}

InfSection* InfFile::Section(std::string_view name) {
  const auto it = index_.find(FoldCase(name));
  if (it != index_.end())
    return it->second;
  sections_.push_back(std::make_unique<InfSection>());
  sections_.back()->name = name;
  index_.emplace(FoldCase(name), sections_.back().get());
  return sections_.back().get();
}

void InfFile::Parse(std::string_view text) {
  text_lines_ = SplitTextLines(text);
  ini_.SetText(text);
  InfSection* current = nullptr;
  for (const std::string& line : LogicalLines(text_lines_)) {
    if (line.empty())
      continue;
    if (line.front() == '[') {
      const size_t close = line.find(']');
      current = Section(Trim(line.substr(1, close == std::string::npos ? close : close - 1)));
      continue;
    }
    if (!current)
      continue;
    InfLine l;
    const size_t eq = FindOutsideQuotes(line, '=');
    l.has_key = eq != std::string::npos;
    l.raw_key = l.has_key ? Trim(line.substr(0, eq)) : std::string();
    l.raw_value = l.has_key ? Trim(line.substr(eq + 1)) : line;
    current->lines.push_back(std::move(l));
  }
}

void InfFile::CollectStrings(std::string_view locale) {
  auto collect = [this](std::string_view section) {
    const auto it = index_.find(FoldCase(section));
    if (it == index_.end())
      return;
    for (const InfLine& l : it->second->lines) {
      if (l.has_key)
        strings_[FoldCase(Unquote(l.raw_key))] = Unquote(l.raw_value);
    }
  };
  collect("Strings");
  if (!locale.empty())
    collect("Strings." + std::string(locale));
}

void InfFile::ResolveLines() {
  for (auto& section : sections_) {
    for (InfLine& l : section->lines) {
      if (l.has_key)
        l.key = Resolve(l.raw_key);
      if (!l.has_key || !l.raw_value.empty()) {
        for (const std::string& field : SplitOutsideQuotes(l.raw_value, ',')) {
          l.fields.push_back(Resolve(field));
        }
      }
    }
  }
}

std::string InfFile::Resolve(std::string_view raw) const {
  std::string out;
  bool quoted = false;
  for (size_t i = 0; i < raw.size(); ++i) {
    const char c = raw[i];
    if (c == '"') {
      if (quoted && i + 1 < raw.size() && raw[i + 1] == '"') {
        out += '"';
        ++i;
      } else {
        quoted = !quoted;
      }
      continue;
    }
    const size_t close = c == '%' ? raw.find('%', i + 1) : std::string_view::npos;
    if (close == std::string_view::npos) {
      out += c;
      continue;
    }
    const std::string_view key = raw.substr(i + 1, close - i - 1);
    const auto it = key.empty() ? strings_.end() : strings_.find(FoldCase(key));
    if (key.empty()) {
      out += '%';
    } else if (it != strings_.end()) {
      out += it->second;
    } else {
      out += raw.substr(i, close - i + 1);
    }
    i = close;
  }
  return out;
}

std::vector<std::string> InfFile::SectionNames() const {
  std::vector<std::string> names;
  for (const auto& s : sections_)
    names.push_back(s->name);
  return names;
}

bool InfFile::HasSection(std::string_view name) const {
  return index_.count(FoldCase(name)) != 0;
}

const std::vector<InfLine>& InfFile::Lines(std::string_view section) const {
  const auto it = index_.find(FoldCase(section));
  return it == index_.end() ? NoLines() : it->second->lines;
}

const InfLine* InfFile::FindLine(std::string_view section, std::string_view key) const {
  const std::string folded = FoldCase(key);
  for (const InfLine& l : Lines(section)) {
    if (l.has_key && FoldCase(l.key) == folded)
      return &l;
  }
  return nullptr;
}

std::string InfFile::Value(std::string_view section, std::string_view key) const {
  const InfLine* line = FindLine(section, key);
  return line && !line->fields.empty() ? line->fields[0] : std::string();
}

std::string InfFile::String(std::string_view key) const {
  const auto it = strings_.find(FoldCase(key));
  return it == strings_.end() ? std::string() : it->second;
}

bool InfFile::HasString(std::string_view key) const {
  return strings_.count(FoldCase(key)) != 0;
}

std::string InfFile::ReadIniValue(std::string_view section, std::string_view key) const {
  const std::string value = ini_.ReadString(section, key, "");
  const size_t semicolon = value.find(';');
  return semicolon == std::string::npos ? value : Trim(value.substr(0, semicolon));
}

bool InfFile::IniSectionExists(std::string_view section) const {
  return ini_.SectionExists(section);
}

InfDriverVer InfFile::DriverVer() const {
  InfDriverVer result;
  const InfLine* line = FindLine("Version", "DriverVer");
  if (!line || line->fields.empty())
    return result;
  std::string date;
  if (ParseDate(line->fields[0], &date))
    result.date = date;
  if (line->fields.size() > 1)
    result.version = line->fields[1];
  return result;
}

std::vector<InfManufacturer> InfFile::Manufacturers() const {
  std::vector<InfManufacturer> list;
  for (const InfLine& l : Lines("Manufacturer")) {
    if (l.fields.empty() || l.fields[0].empty())
      continue;
    InfManufacturer m;
    m.models = l.fields[0];
    m.name = l.has_key ? l.key : m.models;
    for (size_t i = 1; i < l.fields.size(); ++i) {
      if (!l.fields[i].empty())
        m.decorations.push_back(l.fields[i]);
    }
    list.push_back(std::move(m));
  }
  return list;
}

std::string InfFile::ModelsSection(const InfManufacturer& m, const InfTarget& target) const {
  const int chosen = ChooseInfDecoration(m.decorations, target);
  std::string name;
  if (chosen >= 0) {
    name = m.models + "." + m.decorations[static_cast<size_t>(chosen)];
  } else if (InfTargetUsesUndecoratedModels(target)) {
    name = m.models;
  }
  return !name.empty() && HasSection(name) ? name : std::string();
}

std::vector<InfModel> InfFile::Models(const InfManufacturer& m, const InfTarget& target) const {
  std::vector<InfModel> models;
  const std::string section = ModelsSection(m, target);
  if (section.empty())
    return models;
  for (const InfLine& l : Lines(section)) {
    if (!l.has_key || l.fields.empty())
      continue;
    InfModel model;
    model.description = l.key;
    model.install_section = l.fields[0];
    for (size_t i = 1; i < l.fields.size(); ++i) {
      if (!l.fields[i].empty())
        model.ids.push_back(l.fields[i]);
    }
    models.push_back(std::move(model));
  }
  return models;
}

}  // namespace tav
