// SPDX-License-Identifier: GPL-3.0-or-later
// The stand-in figures the program fills in where it builds a drive's
// sectors itself (the sysfs fallback, the NVMe health log), so that both
// levels show the same values where the drive reported none and the alerts
// treat them alike.
#pragma once

#include <cstdint>
#include <string>

#include "drive/ata_blocks.h"

namespace halvoric {

// Status flags of a built entry: pre-failure off, updated online.
inline constexpr std::uint8_t kStandInFlags = 0x02;

// A made-up normalised value stays within what a drive may report.
inline constexpr int kLowestNormalised = 1;
inline constexpr int kHighestNormalised = 253;

// An entry of `id` with the flags above and `value` as value and worst.
AttributeEntry StandInEntry(std::uint8_t id, std::uint8_t value);

// The temperature attribute for a drive at `celsius`: the normalised value
// and worst are the Celsius figure (clamped to the range above), raw byte 0
// the Celsius figure clamped to a byte.
AttributeEntry StandInTemperatureEntry(int celsius);

// The identity strings a sector is built from.
struct DriveStrings {
  std::string Model;
  std::string Serial;    // empty when unknown
  std::string Firmware;  // empty when unknown
};

// An IDENTIFY sector carrying only the three strings, in IDENTIFY's layout.
void FillStandInIdentify(const DriveStrings& strings, std::uint8_t (&data)[kSectorSize]);
// A one-entry attribute table: the temperature entry above. The normalised
// value and worst are the temperature itself and the threshold 0: the popup
// alert compares the normalised value with the critical temperature, so it
// fires exactly when the mail and sound alerts do, and the drive counts as OK.
void FillStandInAttributes(int celsius, std::uint8_t (&data)[kSectorSize]);
void FillStandInThresholds(std::uint8_t (&data)[kSectorSize]);

}  // namespace halvoric
