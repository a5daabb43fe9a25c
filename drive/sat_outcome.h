// SPDX-License-Identifier: GPL-3.0-or-later
// Deciding whether an ATA command sent through SG_IO succeeded. A failed ATA
// command does not fail the ioctl, so the decision rests on the SCSI status,
// the sense key and the returned ATA status register.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "drive/sat_sense.h"

namespace halvoric {

inline constexpr unsigned kScsiGood = 0x00;
inline constexpr unsigned kScsiCheckCondition = 0x02;

inline constexpr std::uint8_t kAtaStatusError = 0x01;
inline constexpr std::uint8_t kAtaStatusDeviceFault = 0x20;
inline constexpr std::uint8_t kAtaStatusBusy = 0x80;

struct AtaOutcome {
  bool Success = false;
  // The drive refused or failed the command (aborted, or ERR/DF in its
  // status), as opposed to a transport that never got an answer.
  bool DriveReportedError = false;
  std::uint8_t ErrorRegister = 0;  // as returned; 0 when no registers came back
  // The registers the drive returned, when they came back.
  std::optional<AtaReturnedRegisters> Registers;
};

// `ioctlResult`, `scsiStatus` (the full status byte), `hostStatus` and
// `driverStatus` as SG_IO left them; `sense` holds only the bytes the kernel
// wrote. Success needs the ioctl, host and driver to be clean, SCSI status
// GOOD or CHECK CONDITION with sense key NO SENSE or RECOVERED ERROR, and,
// when registers came back, a status without ERR, DF or BSY.
AtaOutcome DecodeAtaOutcome(int ioctlResult, unsigned scsiStatus, unsigned hostStatus,
                            unsigned driverStatus, std::span<const std::uint8_t> sense);

}  // namespace halvoric
