// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the SCSI sense data that comes back from ATA PASS-THROUGH: the
// sense key, and the drive's error and status registers when they are in it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace halvoric {

inline constexpr std::uint8_t kSenseNoSense = 0x00;
inline constexpr std::uint8_t kSenseRecoveredError = 0x01;
inline constexpr std::uint8_t kSenseAbortedCommand = 0x0B;

struct AtaReturnedRegisters {
  std::uint8_t Error = 0;
  std::uint8_t Status = 0;
  std::uint8_t Count = 0;  // the sector count (7:0), where CHECK POWER MODE answers
  // LBA (7:0), (15:8), (23:16): where SMART RETURN STATUS answers.
  std::uint8_t LbaLow = 0;
  std::uint8_t LbaMid = 0;
  std::uint8_t LbaHigh = 0;
};

struct SenseSummary {
  std::optional<std::uint8_t> Key;  // nothing for missing or unknown-format sense
  std::optional<AtaReturnedRegisters> Registers;
};

// Understands fixed format (response codes 0x70/0x71), where libata puts the
// registers in the information bytes (3 = error, 4 = status, 6 = count) and
// the command-specific bytes (9..11 = LBA low, mid, high), and descriptor
// format (0x72/0x73) with an ATA Status Return descriptor (type 0x09, 14
// bytes: 3 = error, 5 = count, 7/9/11 = LBA low/mid/high, 13 = status). Reads only inside
// `sense` and inside the lengths the data itself declares, so any bytes are
// safe to pass.
SenseSummary ParseSense(std::span<const std::uint8_t> sense);

}  // namespace halvoric
