// SPDX-License-Identifier: GPL-3.0-or-later
// Any text as a drive database file: the parser must skip what it cannot
// read without crashing, and every entry it keeps must match and read raw
// values by its presets, whatever a local file or a broken update holds.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "drive/attribute_meanings.h"
#include "drive/drive_database.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace halvoric;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  DriveDatabase database;
  ParseDriveDatabase(text, "fuzz", database);
  // The first line stands for a drive's model: entries that match it apply.
  const std::string model(text.substr(0, text.find('\n')).substr(0, 40));
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
