// SPDX-License-Identifier: GPL-3.0-or-later
// What each attribute ID means on one drive: smartctl's name for it, the
// name the window shows and how its raw bytes are read. Built from the
// field's usual names, the drive database's defaults and the drive's own
// entry, each over the one before.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "drive/drive_database.h"
#include "drive/raw_format.h"

namespace halvoric {

struct AttributeMeaning {
  std::string Name;   // as smartctl spells it: "Reallocated_Sector_Ct"
  std::string Shown;  // the window's readable name, blank-padded to 24
  RawLayout Layout;
};

struct DriveMeanings {
  std::string Family;   // the database's family; empty when no entry matched
  std::string Warning;  // the database's warning for the model; empty for none
  std::array<AttributeMeaning, 256> Attributes;
  const AttributeMeaning& Of(std::uint8_t id) const { return Attributes[id]; }
};

// The meanings with no database: the catalogue's names, the field's usual
// ones for the IDs it lacks, and the usual raw formats.
const DriveMeanings& BuiltInMeanings();

// The meanings for a drive of `model` and `firmware`; `kind` leaves out the
// presets meant for the other kind of drive. A null `database` gives the
// built-in meanings for that kind.
DriveMeanings MeaningsFor(const DriveDatabase* database, const std::string& model,
                          const std::string& firmware, DriveKind kind);
// The same for a drive that matched `entry` of `database`; none matched when null.
DriveMeanings MeaningsOfEntry(const DriveDatabase* database, const DriveEntry* entry,
                              DriveKind kind);

}  // namespace halvoric
