// An INI file held in memory: sections and keys in file order, names matched
// without regard to letter case, values read and written as text, numbers,
// booleans ("1"/"0") and dates. The file is read when the object is made and
// written only by UpdateFile, in one piece.
//
// Reading a file: every line is trimmed; empty lines and lines starting with
// ";" are skipped; "[name]" starts a section (a repeated section continues
// the first one); "key=value" lines keep the trimmed key and value; other
// lines of a section are kept as they are; lines before the first section
// are ignored.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/date_time.h"
#include "core/format_settings.h"

namespace tav {

class TMemIniFile {
 public:
  // Reads file_name (a Windows path, in the system's ANSI code page unless
  // it starts with a byte-order mark) when it exists.
  explicit TMemIniFile(std::string file_name = {});
  ~TMemIniFile();
  TMemIniFile(TMemIniFile&&) noexcept;
  TMemIniFile& operator=(TMemIniFile&&) noexcept;

  const std::string& FileName() const { return file_name_; }
  void SetFileName(std::string file_name) { file_name_ = std::move(file_name); }

  // Replaces the content by a text in INI syntax (UTF-8).
  void SetText(std::string_view text);
  // The content in file syntax: "[section]" lines, the section's lines, an
  // empty line after every section, lines ending in CR LF.
  std::string GetText() const;

  std::string ReadString(std::string_view section,
                         std::string_view key,
                         std::string_view fallback) const;
  // "0x" and "$" prefixes read as hexadecimal; anything unreadable is the fallback.
  int64_t ReadInteger(std::string_view section, std::string_view key, int64_t fallback) const;
  bool ReadBool(std::string_view section, std::string_view key, bool fallback) const;
  DateTime ReadDate(std::string_view section,
                    std::string_view key,
                    DateTime fallback,
                    const TFormatSettings& fs) const;
  double ReadFloat(std::string_view section,
                   std::string_view key,
                   double fallback,
                   const TFormatSettings& fs) const;

  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int64_t value);
  void WriteBool(std::string_view section, std::string_view key, bool value);
  void WriteDate(std::string_view section,
                 std::string_view key,
                 DateTime value,
                 const TFormatSettings& fs);
  void WriteFloat(std::string_view section,
                  std::string_view key,
                  double value,
                  const TFormatSettings& fs);

  // Adds lines ("key=value") at the end of a section, made when missing,
  // trimmed and filtered as a file's lines are when read. For writers of
  // whole sections: no search for an existing key, as WriteString makes.
  void AppendLines(std::string_view section, const std::vector<std::string>& lines);

  std::vector<std::string> ReadSections() const;
  // Key names of a section, in order.
  std::vector<std::string> ReadSection(std::string_view section) const;
  // The section's lines ("key=value"), in order.
  std::vector<std::string> ReadSectionValues(std::string_view section) const;
  bool SectionExists(std::string_view section) const;
  bool ValueExists(std::string_view section, std::string_view key) const;

  void DeleteKey(std::string_view section, std::string_view key);
  void EraseSection(std::string_view section);
  // Empties a section but keeps its place among the sections.
  void ClearSection(std::string_view section);
  void Clear();

  // Writes the file in one piece: a temporary file beside it, then renamed
  // over the old one, so that a crash never leaves half a file. False when
  // the file cannot be written, with the system's error code in *error.
  bool UpdateFile(int32_t* error = nullptr) const;

 private:
  // One string per line: files of thousands of lines are read and written
  // on every scan.
  struct Line {
    std::string text;     // the whole line
    size_t key_size = 0;  // of the key before "="; 0 for a line without one
    std::string_view key() const { return std::string_view(text).substr(0, key_size); }
    bool HasKey(std::string_view wanted) const;
    // The line as read from a file; false for a line a file's reader skips.
    static bool Make(std::string_view raw, Line* line);
  };
  struct Section {
    std::string name;
    std::vector<Line> lines;
  };

  Section* FindSection(std::string_view name);
  const Section* FindSection(std::string_view name) const;
  Section& AddSection(std::string_view name);
  void Reindex();

  std::string file_name_;
  std::vector<std::unique_ptr<Section>> sections_;
  std::unordered_map<std::string, Section*> index_;
};

}  // namespace tav
