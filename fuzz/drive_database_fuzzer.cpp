// SPDX-License-Identifier: GPL-3.0-or-later
// Any text as a drive database file: the parser must skip what it cannot
// read without crashing, and every entry it keeps must match and read raw
// values by its presets, whatever a local file or a broken update holds.
// The first line is also a pattern and the second a model: a pattern whose
// beginnings are read without compiling it must compile, and every model it
// matches must begin with one of them.
#include <regex.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "drive/attribute_meanings.h"
#include "drive/drive_database.h"
#include "drive/pattern_beginnings.h"
#include "drive/pattern_cost.h"

namespace {

void CheckBeginnings(const std::string& pattern, const std::string& model) {
  // The product refuses such a pattern unread; compiled here it would take
  // gigabytes.
  if (!halvoric::PatternCompilesSmall(pattern)) return;
  const auto beginnings = halvoric::PatternBeginnings(pattern);
  if (!beginnings) return;
  regex_t compiled;
  const std::string whole = "^(" + pattern + ")$";
  if (regcomp(&compiled, whole.c_str(), REG_EXTENDED | REG_NOSUB) != 0) std::abort();
  const bool matches = regexec(&compiled, model.c_str(), 0, nullptr, 0) == 0;
  regfree(&compiled);
  if (matches && std::none_of(beginnings->begin(), beginnings->end(),
                              [&](const std::string& b) { return model.starts_with(b); })) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace halvoric;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  DriveDatabase database;
  ParseDriveDatabase(text, "fuzz", database);
  // The first line stands for a drive's model: entries that match it apply.
  const std::string model(text.substr(0, text.find('\n')).substr(0, 40));
  const std::string_view rest = text.substr(std::min(text.size(), model.size() + 1));
  CheckBeginnings(model, std::string(rest.substr(0, rest.find('\n'))));
  for (const DriveKind kind : {DriveKind::Any, DriveKind::Hdd, DriveKind::Ssd}) {
    const DriveMeanings meanings = MeaningsFor(&database, model, "", kind);
    AttributeEntry entry{};
    for (std::size_t i = 0; i < sizeof entry && i < size; ++i) {
      reinterpret_cast<std::uint8_t*>(&entry)[i] = data[size - 1 - i];
    }
    for (int id = 0; id < 256; ++id) {
      (void)RawString(meanings.Of(static_cast<std::uint8_t>(id)).Layout, entry);
      (void)RawCelsius(meanings.Of(static_cast<std::uint8_t>(id)).Layout, entry);
    }
  }
  return 0;
}
