// SPDX-License-Identifier: GPL-3.0-or-later
// An NVMe drive's answers put into the blocks of the ATA series, so that the
// drive core reads an NVMe drive like any other: Identify Controller becomes
// the IDENTIFY sector's strings, the SMART / Health Information log becomes
// a small attribute and threshold table (IDs in drive/nvme_figures.h).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "drive/ata_blocks.h"

namespace halvoric {

inline constexpr std::size_t kNvmeIdentifySize = 4096;
inline constexpr std::size_t kNvmeHealthLogSize = 512;

// Identify Controller data structure (CNS 01h), the fields used.
inline constexpr std::size_t kNvmeSerial = 4;  // bytes 4..23, ASCII, blank-padded
inline constexpr std::size_t kNvmeSerialLength = 20;
inline constexpr std::size_t kNvmeModel = 24;  // bytes 24..63
inline constexpr std::size_t kNvmeModelLength = 40;
inline constexpr std::size_t kNvmeFirmware = 64;  // bytes 64..71
inline constexpr std::size_t kNvmeFirmwareLength = 8;
inline constexpr std::size_t kNvmeWarningTemperature = 266;   // WCTEMP, 2 bytes LE, Kelvin
inline constexpr std::size_t kNvmeCriticalTemperature = 268;  // CCTEMP, 2 bytes LE, Kelvin
inline constexpr std::size_t kNvmeAdminCommands = 256;        // OACS, 2 bytes LE
inline constexpr std::size_t kNvmeExtendedTestMinutes = 316;  // EDSTT, 2 bytes LE
inline constexpr std::size_t kNvmeTotalCapacity = 280;        // TNVMCAP, 16 bytes LE

// SMART / Health Information log (log page 02h), the fields used.
inline constexpr std::size_t kNvmeCriticalWarning = 0;       // bit field
inline constexpr std::size_t kNvmeCompositeTemperature = 1;  // 2 bytes LE, Kelvin
inline constexpr std::size_t kNvmeAvailableSpare = 3;        // percent
inline constexpr std::size_t kNvmeSpareThreshold = 4;        // percent
inline constexpr std::size_t kNvmePercentageUsed = 5;        // percent
inline constexpr std::size_t kNvmeDataUnitsRead = 32;        // 16 bytes LE
inline constexpr std::size_t kNvmeDataUnitsWritten = 48;     // 16 bytes LE
inline constexpr std::size_t kNvmePowerCycles = 112;         // 16 bytes LE
inline constexpr std::size_t kNvmePowerOnHours = 128;        // 16 bytes LE
inline constexpr std::size_t kNvmeUnsafeShutdowns = 144;     // 16 bytes LE
inline constexpr std::size_t kNvmeMediaErrors = 160;         // 16 bytes LE
inline constexpr std::size_t kNvmeErrorLogEntries = 176;     // 16 bytes LE
inline constexpr std::size_t kNvmeWarningTempTime = 192;     // 4 bytes LE, minutes
inline constexpr std::size_t kNvmeCriticalTempTime = 196;    // 4 bytes LE, minutes

using NvmeIdentifyData = std::array<std::uint8_t, kNvmeIdentifySize>;
using NvmeHealthLog = std::array<std::uint8_t, kNvmeHealthLogSize>;

// The strings go into the ATA fields of the same lengths, with the ATA
// byte order, WCTEMP, CCTEMP, OACS, EDSTT and TNVMCAP where drive/nvme_figures.h says; everything
// else in the sector is 0.
void NvmeIdentifyToAta(const NvmeIdentifyData& controller, std::uint8_t (&sector)[kSectorSize]);

// One entry per figure, in the log's order. Normalised values the drive does not report are
// made up so that every entry counts as OK: the temperature's are the
// Celsius figure (as at the limited level, so the popup alert compares
// like with like), the counters' 100. The available spare's value is real.
void NvmeHealthToAttributes(const NvmeHealthLog& log, std::uint8_t (&sector)[kSectorSize]);
// Thresholds in the same positions: the drive's spare threshold, else 0.
void NvmeHealthToThresholds(const NvmeHealthLog& log, std::uint8_t (&sector)[kSectorSize]);

// Celsius from the composite temperature; a drive reporting 0 K (no
// reading) gives a value below 0.
int NvmeCelsius(const NvmeHealthLog& log);

}  // namespace halvoric
