// SPDX-License-Identifier: GPL-3.0-or-later
// The field's drive database, read as data: entries of a family name, model
// and firmware patterns, a warning and attribute presets, in the syntax of
// a C array of five-string structs.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "drive/raw_format.h"

namespace halvoric {

// Which drives a preset is meant for; the other kind reads it as unknown.
enum class DriveKind { Any, Hdd, Ssd };

// One "-v ID,FORMAT[:BYTEORDER][,NAME[,HDD|SSD]]"; Id 0 stands for every ID.
struct AttributePreset {
  std::uint8_t Id = 0;
  RawLayout Layout;
  std::string Name;  // empty: the name stays as it was
  DriveKind Kind = DriveKind::Any;
};

// A POSIX extended pattern that must match a whole text. Compiled at the
// first text that begins as its matches do (most patterns never meet one);
// safe to match from several threads.
class WholeMatch {
 public:
  // None when the pattern does not compile.
  static std::optional<WholeMatch> Compile(const std::string& pattern);
  bool Matches(const std::string& text) const;

 private:
  struct Compiled;
  std::shared_ptr<Compiled> compiled_;
};

// Where an entry stands in the file it was read from: the bytes from its
// opening brace to its closing one.
struct EntrySource {
  std::size_t File = 0;  // in DriveDatabase::Files
  std::size_t Begin = 0;
  std::size_t End = 0;
};

struct DriveEntry {
  std::string Family;
  std::optional<WholeMatch> Model;     // none for entries no drive matches
  std::optional<WholeMatch> Firmware;  // none matches every firmware
  std::string Warning;
  std::vector<AttributePreset> Presets;
  EntrySource Source;
};

struct DriveDatabase {
  // Every ID's default name and format, applied under a model's own.
  std::vector<AttributePreset> Defaults;
  std::vector<EntrySource> DefaultSources;
  std::vector<DriveEntry> Entries;  // in the order they are searched
  // One line per entry that was skipped, saying where and why.
  std::vector<std::string> Skipped;
  // The files parsed, as named to ParseDriveDatabase.
  std::vector<std::string> Files;
  // For a database of only the entries some drives need: the models and
  // firmware ("MODEL\nFIRMWARE") it answers for, and the files searched for
  // the whole of it; see drive_database_files.h.
  std::optional<std::set<std::string>> Covers;
  std::vector<std::string> Paths;
  // For a whole database: the files' stamps when they were read.
  std::string Stamps;

  // The first entry whose patterns match; none when no entry does.
  const DriveEntry* Match(const std::string& model, const std::string& firmware) const;
};

// Adds the entries of one file's `text` to `database`, behind those it
// holds; `origin` names the file in what Skipped says.
void ParseDriveDatabase(std::string_view text, std::string_view origin, DriveDatabase& database);

// The presets of one entry's text; a failure names the first bad option.
// "-F" and "-d" options are read past: they concern no attribute.
Result<std::vector<AttributePreset>> ParsePresets(std::string_view text);

}  // namespace halvoric
