// The INF reader: Windows INF text parsed as SetupAPI reads it.
//
//   - sections in file order, names without regard to letter case, a
//     repeated section continuing the first one; lines before the first
//     section are ignored;
//   - ";" outside double quotes starts a comment; "\" as the last character
//     of a line (after the comment) joins the next line to it;
//   - a line is "key = field, field, ..." or only fields; "=" and "," count
//     outside double quotes only; a field loses its quotes ("" inside quotes
//     is one quote) and has its %key% tokens replaced from [Strings] (a
//     [Strings.LLLL] section of the chosen locale wins; %% is a literal %;
//     an unknown token stays as written);
//   - [Version] DriverVer, [Manufacturer] entries and their models sections
//     for a target platform, model lines "desc = install-section, hwid[, id...]".
//
// Beside that parsed view the reader keeps the text itself, for rules that
// work on its lines, and an INI view of it (values read as an INI file reads
// them, without quote, comment or string handling).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/ini_file.h"
#include "matching/inf_target.h"

namespace tav {

struct InfLine {
  bool has_key = false;
  std::string key;                  // resolved; empty without "="
  std::vector<std::string> fields;  // resolved, trimmed; empty fields kept
  std::string raw_key;              // as written, trimmed
  std::string raw_value;            // as written after "=" (or the whole line), trimmed
};

struct InfSection {
  std::string name;  // as first written
  std::vector<InfLine> lines;
};

struct InfDriverVer {
  std::string date;     // "yyyy-mm-dd"; empty when DriverVer has no valid date
  std::string version;  // as written; may be empty
};

struct InfManufacturer {
  std::string name;    // resolved manufacturer name
  std::string models;  // models section name
  std::vector<std::string> decorations;
};

struct InfModel {
  std::string description;
  std::string install_section;
  std::vector<std::string> ids;  // hardware ID first, then compatible IDs
};

class InfFile {
 public:
  InfFile();
  ~InfFile();
  InfFile(InfFile&&) noexcept;
  InfFile& operator=(InfFile&&) noexcept;

  // Parses UTF-8 text. locale is the four hexadecimal digits of the
  // [Strings.LLLL] section to prefer.
  static InfFile FromText(std::string_view text, std::string_view locale = "0409");
  // Parses a file's bytes (see DecodeInfBytes for code_page).
  static InfFile FromBytes(std::string_view bytes,
                           uint32_t code_page = 0,
                           std::string_view locale = "0409");
  // Reads a file of the PC; false when it cannot be read (logged unless quiet).
  static bool Load(std::string_view path, InfFile* inf, bool quiet = false);

  std::vector<std::string> SectionNames() const;
  bool HasSection(std::string_view name) const;
  // The lines of a section; an empty list when there is none.
  const std::vector<InfLine>& Lines(std::string_view section) const;
  // The first line of the section with this key; null when none.
  const InfLine* FindLine(std::string_view section, std::string_view key) const;
  // Its first field; empty when there is none.
  std::string Value(std::string_view section, std::string_view key) const;

  // The string of a %key% token (without the percent signs); empty when unknown.
  std::string String(std::string_view key) const;
  bool HasString(std::string_view key) const;
  // A field as written, unquoted and with its tokens replaced.
  std::string Resolve(std::string_view raw_field) const;

  // The value of a key as an INI file gives it, cut at its first ";" and trimmed.
  std::string ReadIniValue(std::string_view section, std::string_view key) const;
  bool IniSectionExists(std::string_view section) const;
  // The text's lines without their line ends.
  const std::vector<std::string>& TextLines() const { return text_lines_; }

  InfDriverVer DriverVer() const;
  std::string Provider() const { return Value("Version", "Provider"); }
  std::vector<InfManufacturer> Manufacturers() const;
  // The models section of an entry for a target; empty when none applies or
  // the INF lacks the chosen section.
  std::string ModelsSection(const InfManufacturer& manufacturer, const InfTarget& target) const;
  std::vector<InfModel> Models(const InfManufacturer& manufacturer, const InfTarget& target) const;

 private:
  void Parse(std::string_view text);
  void CollectStrings(std::string_view locale);
  void ResolveLines();
  InfSection* Section(std::string_view name);

  std::vector<std::unique_ptr<InfSection>> sections_;
  std::unordered_map<std::string, InfSection*> index_;
  std::unordered_map<std::string, std::string> strings_;
  std::vector<std::string> text_lines_;
  TMemIniFile ini_;
};

}  // namespace tav
