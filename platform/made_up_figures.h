// The figures the program makes up where it builds a drive's attribute table
// itself (the sysfs fallback, the NVMe health log), so that both levels show
// the same made-up values and the alerts treat them alike.
#pragma once

#include <cstdint>

#include "drive/ata_blocks.h"

namespace halvoric {

// Status flags of a built entry: pre-failure off, updated online.
inline constexpr std::uint8_t kMadeUpFlags = 0x02;

// A made-up normalised value stays within what a drive may report.
inline constexpr int kLowestNormalised = 1;
inline constexpr int kHighestNormalised = 253;

// An entry of `id` with the flags above and `value` as value and worst.
AttributeEntry MadeUpEntry(std::uint8_t id, std::uint8_t value);

// The temperature attribute for a drive at `celsius`: the normalised value
// and worst are the Celsius figure (clamped to the range above), raw byte 0
// the Celsius figure clamped to a byte.
AttributeEntry MadeUpTemperatureEntry(int celsius);

}  // namespace halvoric
