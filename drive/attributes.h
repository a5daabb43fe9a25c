// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding of the SMART attribute and threshold tables: the SMART Info rows
// and the temperature summary of a drive.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "drive/ata_blocks.h"
#include "drive/attribute_meanings.h"
#include "drive/row_sinks.h"
#include "drive/summary.h"

namespace halvoric {

inline constexpr std::uint8_t kTemperatureAttribute = 194;
inline constexpr std::uint8_t kAirflowTemperatureAttribute = 190;

// OK when the normalised value is strictly above the threshold, or the
// threshold is 0: such an attribute is advisory and never fails.
Status StatusOf(std::int32_t value, std::int32_t threshold);

// Who built the tables: the drive itself (ATA), or the NVMe translation,
// whose rows are named and judged by NVMe's rules (drive/nvme_figures.h).
enum class TableSource { Ata, Nvme };

// The tables' 512-byte data areas.
using TableData = const std::uint8_t (&)[kSectorSize];

// Entry p (0..30) of a table; entry 30 is the 12 bytes just behind it.
AttributeEntry AttributeAt(TableData attributes, std::size_t p);
ThresholdEntry ThresholdAt(TableData thresholds, std::size_t p);

// The threshold of the attribute with `id` at position `p`: the entry at the
// same position when its ID agrees, as on every drive seen so far, else the
// entry with that ID; 0 (never fails) when the table has none.
std::int32_t ThresholdFor(TableData thresholds, std::size_t p, std::uint8_t id);

// Where a table keeps the drive's temperature: attribute 194, else 190;
// none when it has neither before its first empty entry.
struct TemperatureEntry {
  std::size_t Position = 0;
  AttributeEntry Entry{};
};
std::optional<TemperatureEntry> TemperatureAttributeOf(TableData attributes);

// Raw byte 0 + 10 x raw byte 1: the figure the temperature is taken from.
std::int32_t TemperatureRawFigure(const AttributeEntry& entry);
std::uint64_t RawValue48(const AttributeEntry& entry);

// An attribute decoded from both tables, as its SMART Info row shows it.
// Every other form of an attribute (the health watch's reading, the
// record's entry, the row's text) is made from this one.
struct TableAttribute {
  std::uint8_t Id = 0;
  std::string Name;          // by the source's names, blank-padded
  std::string SmartctlName;  // as smartctl spells it, for readers of our reports
  std::uint16_t Flags = 0;   // the entry's status flags
  std::int32_t Value = 0;
  std::int32_t Worst = 0;
  std::int32_t Threshold = 0;
  std::uint64_t Raw = 0;      // the 48-bit little-endian raw value
  std::string RawText;        // the raw value as the drive means it
  Status State = Status::Ok;  // by the source's rules
};

// smartctl's flag letters: "PO--CK" for pre-failure, online, event count,
// auto-keep; "+" when a bit it has no letter for is set.
std::string FlagsText(std::uint16_t flags);
// The set flags' long names, comma-separated: "prefailure,updated_online".
std::string FlagsLongText(std::uint16_t flags);

void AddAttributeRow(SmartInfoSink& sink, const TableAttribute& attribute);

// One per attribute in table order, up to the first empty entry.
// `meanings` names an ATA table's rows and reads their raw values.
std::vector<TableAttribute> ListAttributes(TableData attributes, TableData thresholds,
                                           TableSource source = TableSource::Ata,
                                           const DriveMeanings& meanings = BuiltInMeanings());

// One row per attribute, up to the first empty entry.
void ShowAttributes(SmartInfoSink& sink, TableData attributes, TableData thresholds,
                    TableSource source = TableSource::Ata,
                    const DriveMeanings& meanings = BuiltInMeanings());

// An attribute as the health watch follows it and keeps it between runs.
struct AttributeReading {
  std::uint8_t Id = 0;
  std::uint64_t Raw = 0;
  Status State = Status::Ok;
  bool operator==(const AttributeReading&) const = default;
};

// The summary of the temperature attribute (194, else 190), found before the
// first empty entry; NoTemperature and NoThreshold when there is none. Its
// verdict covers every attribute up to the first empty entry
// (drive/verdict.h). A temperature kept as tenths by `meanings` is read so.
// The drive's limits are the caller's to add.
DriveSummary DecodeDriveSummary(TableData attributes, TableData thresholds,
                                TableSource source = TableSource::Ata,
                                const DriveMeanings& meanings = BuiltInMeanings());

}  // namespace halvoric
