// SPDX-License-Identifier: GPL-3.0-or-later
// Where an NVMe drive's health figures stand in the attribute table the
// program builds for it, and how such a table is named and judged. The three
// figures with an ATA attribute of the same meaning use that ID; the others
// use IDs the catalogue does not list. The names and the rules apply only to
// a table built from an NVMe drive (DiskControl::AnswersFromNvme), so an ATA
// drive using one of these IDs still shows it as the catalogue says
// (docs/access-levels.md).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "drive/ata_blocks.h"
#include "drive/attributes.h"
#include "drive/temperature_limits.h"

namespace halvoric {

// Celsius in raw byte 0.
inline constexpr std::uint8_t kNvmeTemperatureId = kTemperatureAttribute;

inline constexpr std::uint8_t kNvmePowerOnHoursId = 9;        // hours
inline constexpr std::uint8_t kNvmePowerCyclesId = 12;        // count
inline constexpr std::uint8_t kNvmeAvailableSpareId = 0x60;   // percent; threshold is the drive's
inline constexpr std::uint8_t kNvmePercentageUsedId = 0x61;   // percent of rated life, may pass 100
inline constexpr std::uint8_t kNvmeUnsafeShutdownsId = 0x62;  // count
inline constexpr std::uint8_t kNvmeMediaErrorsId = 0x63;      // count
inline constexpr std::uint8_t kNvmeCriticalWarningId = 0x64;  // the log's byte 0 in raw byte 0
inline constexpr std::uint8_t kNvmeErrorLogEntriesId = 0x65;  // count
inline constexpr std::uint8_t kNvmeWarningTempTimeId = 0x66;  // minutes
inline constexpr std::uint8_t kNvmeCriticalTempTimeId = 0x67;  // minutes
// Thousands of 512-byte units, as the log counts them.
inline constexpr std::uint8_t kNvmeDataUnitsReadId = 0x68;
inline constexpr std::uint8_t kNvmeDataUnitsWrittenId = 0x69;
inline constexpr std::uint64_t kNvmeDataUnitBytes = 512'000;

// Critical Warning bits (health log byte 0).
inline constexpr std::uint8_t kNvmeWarnSpare = 0x01;        // spare below threshold
inline constexpr std::uint8_t kNvmeWarnTemperature = 0x02;  // above or below a limit
inline constexpr std::uint8_t kNvmeWarnReliability = 0x04;  // reliability degraded
inline constexpr std::uint8_t kNvmeWarnReadOnly = 0x08;     // media placed in read-only mode
inline constexpr std::uint8_t kNvmeWarnBackup = 0x10;       // volatile memory backup failed

// The IDENTIFY sector built for an NVMe drive carries the controller's
// warning and critical composite temperatures (WCTEMP, CCTEMP) as Identify
// Controller has them: Kelvin, little-endian, 0 when the drive names none.
// An ATA drive's own sector is never read there.
inline constexpr std::size_t kNvmeSectorWarningKelvin = 400;   // bytes 400..401
inline constexpr std::size_t kNvmeSectorCriticalKelvin = 402;  // bytes 402..403
// And what it says of self-tests: the low byte of OACS (bit 4: Device
// Self-test supported) and EDSTT, the extended test's minutes.
inline constexpr std::size_t kNvmeSectorAdminCommands = 404;
inline constexpr std::size_t kNvmeSectorExtendedTestMinutes = 406;  // bytes 406..407
// TNVMCAP, the controller's total capacity in bytes: its low 8 bytes, LE;
// 0 when the drive does not say.
inline constexpr std::size_t kNvmeSectorCapacityBytes = 408;  // bytes 408..415

// The name of a row of an NVMe table: blank-padded to 24 characters like the
// catalogue's, longer names kept whole. The temperature, power cycles and
// power-on hours keep their catalogue names.
std::string_view NvmeFigureName(std::uint8_t id);

// NVMe's own rule: BAD when the spare is below its threshold, the
// percentage used at 100 or above, a media error counted or any Critical
// Warning bit set; every other figure is OK.
Status NvmeStatusOf(std::uint8_t id, std::uint64_t raw, std::int32_t threshold);

// The warning and critical temperatures of a built IDENTIFY sector.
TemperatureLimits NvmeLimitsFromSector(const std::uint8_t (&sector)[kSectorSize]);

// "none", or the set bits by name, joined by ", ".
std::string CriticalWarningText(std::uint8_t bits);

}  // namespace halvoric
