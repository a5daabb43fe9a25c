// Where an NVMe drive's health figures stand in the attribute table the
// program builds for it. The three figures with an ATA attribute of the
// same meaning use that ID; the others use IDs the catalogue does not list
// and that no ATA attribute of the series carries, so they show as unknown
// attributes rather than as something they are not (docs/access-levels.md).
#pragma once

#include <cstdint>

#include "drive/attributes.h"

namespace halvoric {

// Celsius in raw byte 0.
inline constexpr std::uint8_t kNvmeTemperatureId = kTemperatureAttribute;

inline constexpr std::uint8_t kNvmePowerOnHoursId = 9;        // hours
inline constexpr std::uint8_t kNvmePowerCyclesId = 12;        // count
inline constexpr std::uint8_t kNvmeAvailableSpareId = 0x60;   // percent; threshold is the drive's
inline constexpr std::uint8_t kNvmePercentageUsedId = 0x61;   // percent of rated life, may pass 100
inline constexpr std::uint8_t kNvmeUnsafeShutdownsId = 0x62;  // count
inline constexpr std::uint8_t kNvmeMediaErrorsId = 0x63;      // count

}  // namespace halvoric
