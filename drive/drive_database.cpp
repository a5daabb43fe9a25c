// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/drive_database.h"

#include <regex.h>

#include <algorithm>
#include <charconv>
#include <mutex>
#include <utility>

#include "drive/pattern_beginnings.h"
#include "drive/pattern_cost.h"

namespace halvoric {
namespace {

// The old spellings of presets that still appear in the field's files.
struct OldPreset {
  std::string_view Argument;
  std::string_view Format;
  std::string_view Name;
};
constexpr OldPreset kOldPresets[] = {
    {"9,minutes", "min2hour", "Power_On_Minutes"},
    {"9,seconds", "sec2hour", "Power_On_Seconds"},
    {"9,halfminutes", "halfmin2hour", "Power_On_Half_Minutes"},
    {"9,temp", "tempminmax", "Temperature_Celsius"},
    {"192,emergencyretractcyclect", "raw48", "Emerg_Retract_Cycle_Ct"},
    {"193,loadunload", "raw24/raw24", ""},
    {"194,10xCelsius", "temp10x", "Temperature_Celsius_x10"},
    {"194,unknown", "raw48", "Unknown_Attribute"},
    {"197,increasing", "raw48", "Total_Pending_Sectors"},
    {"198,increasing", "raw48", "Total_Offl_Uncorrectabl"},
    {"198,offlinescanuncsectorct", "raw48", "Offline_Scan_UNC_SectCt"},
    {"200,writeerrorcount", "raw48", "Write_Error_Count"},
    {"201,detectedtacount", "raw48", "Detected_TA_Count"},
    {"220,temp", "tempminmax", "Temperature_Celsius"},
};

std::vector<std::string_view> SplitOn(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (std::size_t at = 0;;) {
    const std::size_t end = text.find(separator, at);
    parts.push_back(text.substr(at, end == std::string_view::npos ? end : end - at));
    if (end == std::string_view::npos) return parts;
    at = end + 1;
  }
}

// Mostly letters, digits and underscores; the field's files also use
// "%", "/" and "-", so any visible ASCII character passes.
bool ValidName(std::string_view name) {
  if (name.empty()) return false;
  for (const char c : name) {
    if (c <= ' ' || c > '~') return false;
  }
  return true;
}

Result<AttributePreset> ParseAttributePreset(std::string_view argument) {
  for (const OldPreset& old : kOldPresets) {
    if (argument != old.Argument) continue;
    AttributePreset preset;
    preset.Id = static_cast<std::uint8_t>(std::stoi(std::string(argument)));
    preset.Layout.Format = *ParseRawFormat(old.Format);
    preset.Name = old.Name;
    return preset;
  }
  const std::vector<std::string_view> parts = SplitOn(argument, ',');
  const auto bad = [argument](const char* why) {
    return Failure{"-v " + std::string(argument) + ": " + why};
  };
  if (parts.size() < 2 || parts.size() > 4) return bad("not ID,FORMAT[,NAME[,HDD|SSD]]");
  AttributePreset preset;
  if (parts[0] != "N") {
    unsigned id = 0;
    const auto [end, error] =
        std::from_chars(parts[0].data(), parts[0].data() + parts[0].size(), id);
    if (error != std::errc() || end != parts[0].data() + parts[0].size() || id < 1 || id > 255) {
      return bad("the ID is not 1 to 255 or N");
    }
    preset.Id = static_cast<std::uint8_t>(id);
  }
  const std::size_t colon = parts[1].find(':');
  const std::optional<RawFormat> format = ParseRawFormat(parts[1].substr(0, colon));
  if (!format) return bad("unknown raw format");
  preset.Layout.Format = *format;
  if (colon != std::string_view::npos) {
    const std::string_view order = parts[1].substr(colon + 1);
    if (!ValidByteOrder(order)) return bad("the byte order is not 1 to 8 of 012345rvwz");
    preset.Layout.ByteOrder = std::string(order);
  }
  if (parts.size() >= 3) {
    if (!ValidName(parts[2])) return bad("the name holds a blank or a character beyond ASCII");
    preset.Name = std::string(parts[2]);
  }
  if (parts.size() == 4) {
    if (parts[3] == "HDD") {
      preset.Kind = DriveKind::Hdd;
    } else if (parts[3] == "SSD") {
      preset.Kind = DriveKind::Ssd;
    } else {
      return bad("the drive kind is neither HDD nor SSD");
    }
  }
  return preset;
}

// The file's tokens: string literals (adjacent ones joined, as C joins
// them), braces and commas; comments and anything else between entries
// are passed over.
class Tokens {
 public:
  enum class Kind { String, Open, Close, Comma, Other, End, Broken };

  explicit Tokens(std::string_view text) : text_(text) {}

  Kind Next() {
    SkipBlanks();
    if (at_ >= text_.size()) return Kind::End;
    const char c = text_[at_];
    if (c == '"') return ReadStrings();
    ++at_;
    if (c == '{') return Kind::Open;
    if (c == '}') return Kind::Close;
    if (c == ',') return Kind::Comma;
    return Kind::Other;
  }

  const std::string& Text() const { return string_; }
  // Where the next token begins its search: just past the last one.
  std::size_t Offset() const { return at_; }
  const std::string& Problem() const { return problem_; }
  std::size_t Line() const { return line_; }

 private:
  void SkipBlanks() {
    while (at_ < text_.size()) {
      const std::string_view rest = text_.substr(at_);
      if (rest.starts_with("//")) {
        const std::size_t end = rest.find('\n');
        at_ = end == std::string_view::npos ? text_.size() : at_ + end;
      } else if (rest.starts_with("/*")) {
        const std::size_t end = rest.find("*/", 2);
        Count(rest.substr(0, end == std::string_view::npos ? rest.size() : end));
        at_ = end == std::string_view::npos ? text_.size() : at_ + end + 2;
      } else if (rest[0] == ' ' || rest[0] == '\t' || rest[0] == '\r' || rest[0] == '\n') {
        if (rest[0] == '\n') ++line_;
        ++at_;
      } else {
        return;
      }
    }
  }

  void Count(std::string_view passed) {
    for (const char c : passed) line_ += c == '\n';
  }

  Kind ReadStrings() {
    string_.clear();
    while (at_ < text_.size() && text_[at_] == '"') {
      if (!ReadOneString()) return Kind::Broken;
      SkipBlanks();
    }
    return Kind::String;
  }

  bool ReadOneString() {
    for (++at_; at_ < text_.size(); ++at_) {
      const char c = text_[at_];
      if (c == '"') {
        ++at_;
        return true;
      }
      if (c == '\n') break;
      if (c == '\\') {
        if (++at_ >= text_.size()) break;
        const char escaped = text_[at_];
        string_ += escaped == 'n' ? '\n' : escaped == 't' ? '\t' : escaped;
        continue;
      }
      string_ += c;
    }
    problem_ = "a string is not closed on its line";
    return false;
  }

  std::string_view text_;
  std::size_t at_ = 0;
  std::size_t line_ = 1;
  std::string string_;
  std::string problem_;
};

constexpr std::size_t kEntryFields = 5;

// The five strings of the entry that begins after an opening brace, up to
// its closing one; a failure when it holds anything else.
Result<std::vector<std::string>> ReadEntry(Tokens& tokens) {
  std::vector<std::string> fields;
  bool expectString = true;
  for (;;) {
    const Tokens::Kind kind = tokens.Next();
    if (kind == Tokens::Kind::Close) break;
    if (kind == Tokens::Kind::End) return Failure{"the entry is not closed"};
    if (kind == Tokens::Kind::Broken) return Failure{tokens.Problem()};
    if (kind == Tokens::Kind::String && expectString) {
      fields.push_back(tokens.Text());
      expectString = false;
    } else if (kind == Tokens::Kind::Comma && !expectString) {
      expectString = true;
    } else {
      // Read on to the entry's end, so that the next one parses.
      for (Tokens::Kind rest = kind; rest != Tokens::Kind::Close; rest = tokens.Next()) {
        if (rest == Tokens::Kind::End || rest == Tokens::Kind::Broken) break;
      }
      return Failure{"the entry holds something other than strings"};
    }
  }
  if (fields.size() != kEntryFields) {
    return Failure{"the entry has " + std::to_string(fields.size()) + " strings, not 5"};
  }
  return fields;
}

// Why a pattern WholeMatch refused was refused: only then is its size
// estimated a second time.
std::string NotCompiled(const char* what, const std::string& pattern) {
  return std::string("the ") + what + " pattern " +
         (PatternCompilesSmall(pattern) ? "does not compile: " : "is too large: ") + pattern;
}

Result<DriveEntry> MakeEntry(std::vector<std::string>& fields) {
  DriveEntry entry;
  entry.Family = std::move(fields[0]);
  entry.Warning = std::move(fields[3]);
  Result<std::vector<AttributePreset>> presets = ParsePresets(fields[4]);
  if (!presets.Ok()) return Failure{presets.Message};
  entry.Presets = std::move(*presets);
  // "-" names no model: the entry only carries the version or the defaults.
  if (fields[1] != "-") {
    entry.Model = WholeMatch::Compile(fields[1]);
    if (!entry.Model) return Failure{NotCompiled("model", fields[1])};
  }
  if (!fields[2].empty()) {
    entry.Firmware = WholeMatch::Compile(fields[2]);
    if (!entry.Firmware) return Failure{NotCompiled("firmware", fields[2])};
  }
  return entry;
}

}  // namespace

struct WholeMatch::Compiled {
  // Anchored at both ends: the pattern must match the whole text.
  std::string Whole;
  // What a matching text begins with; none known when empty.
  std::vector<std::string> Beginnings;
  std::once_flag Once;
  regex_t Pattern{};
  bool Built = false;  // a pattern that failed to compile holds nothing to free

  void Build() { Built = regcomp(&Pattern, Whole.c_str(), REG_EXTENDED | REG_NOSUB) == 0; }
  ~Compiled() {
    if (Built) regfree(&Pattern);
  }
};

std::optional<WholeMatch> WholeMatch::Compile(const std::string& pattern) {
  if (!PatternCompilesSmall(pattern)) return std::nullopt;
  auto compiled = std::make_shared<Compiled>();
  compiled->Whole = "^(" + pattern + ")$";
  if (std::optional<std::vector<std::string>> beginnings = PatternBeginnings(pattern)) {
    compiled->Beginnings = std::move(*beginnings);
  } else {
    // Only the regex library can judge it: judged now, so that a bad one is
    // skipped with the file's other faults.
    std::call_once(compiled->Once, [&compiled] { compiled->Build(); });
    if (!compiled->Built) return std::nullopt;
  }
  WholeMatch match;
  match.compiled_ = std::move(compiled);
  return match;
}

bool WholeMatch::Matches(const std::string& text) const {
  const std::vector<std::string>& beginnings = compiled_->Beginnings;
  if (!beginnings.empty() &&
      std::none_of(beginnings.begin(), beginnings.end(),
                   [&text](const std::string& start) { return text.starts_with(start); })) {
    return false;
  }
  std::call_once(compiled_->Once, [this] { compiled_->Build(); });
  return compiled_->Built && regexec(&compiled_->Pattern, text.c_str(), 0, nullptr, 0) == 0;
}

Result<std::vector<AttributePreset>> ParsePresets(std::string_view text) {
  std::vector<AttributePreset> presets;
  std::vector<std::string_view> words;
  for (std::string_view word : SplitOn(text, ' ')) {
    if (!word.empty()) words.push_back(word);
  }
  for (std::size_t i = 0; i < words.size(); i += 2) {
    if (i + 1 >= words.size())
      return Failure{"option " + std::string(words[i]) + " lacks its value"};
    if (words[i] == "-F" || words[i] == "-d") continue;
    if (words[i] != "-v") return Failure{"unknown option " + std::string(words[i])};
    Result<AttributePreset> preset = ParseAttributePreset(words[i + 1]);
    if (!preset.Ok()) return Failure{preset.Message};
    presets.push_back(std::move(*preset));
  }
  return presets;
}

void ParseDriveDatabase(std::string_view text, std::string_view origin, DriveDatabase& database) {
  const std::size_t file = database.Files.size();
  database.Files.emplace_back(origin);
  Tokens tokens(text);
  for (;;) {
    const Tokens::Kind kind = tokens.Next();
    if (kind == Tokens::Kind::End) return;
    const std::size_t line = tokens.Line();
    const auto skip = [&](const std::string& why) {
      database.Skipped.push_back(std::string(origin) + ":" + std::to_string(line) + ": " + why);
    };
    if (kind == Tokens::Kind::Broken) {
      skip(tokens.Problem() + "; the rest of the file is not read");
      return;
    }
    if (kind != Tokens::Kind::Open) continue;
    EntrySource source{file, tokens.Offset() - 1, 0};
    Result<std::vector<std::string>> fields = ReadEntry(tokens);
    source.End = tokens.Offset();
    if (!fields.Ok()) {
      skip(fields.Message);
      if (tokens.Problem().empty()) continue;
      return;
    }
    Result<DriveEntry> entry = MakeEntry(*fields);
    if (!entry.Ok()) {
      skip(entry.Message);
      continue;
    }
    // Entries the file marks with a dollar are left out on purpose; USB
    // bridges name no drive.
    if (entry->Family.starts_with("$") || entry->Family.starts_with("USB:")) continue;
    if (entry->Family == "DEFAULT") {
      database.Defaults.insert(database.Defaults.end(), entry->Presets.begin(),
                               entry->Presets.end());
      database.DefaultSources.push_back(source);
      continue;
    }
    entry->Source = source;
    if (entry->Model) database.Entries.push_back(std::move(*entry));
  }
}

const DriveEntry* DriveDatabase::Match(const std::string& model,
                                       const std::string& firmware) const {
  for (const DriveEntry& entry : Entries) {
    if (!entry.Model->Matches(model)) continue;
    if (entry.Firmware && !entry.Firmware->Matches(firmware)) continue;
    return &entry;
  }
  return nullptr;
}

}  // namespace halvoric
