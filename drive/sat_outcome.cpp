// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/sat_outcome.h"

#include "drive/sat_sense.h"

namespace halvoric {
namespace {

// The low bits of driver_status name a driver failure (busy, timeout, ...);
// the DRIVER_SENSE flag (0x08) only says that sense data came back.
constexpr unsigned kDriverFailureMask = 0x07;

bool KeyMeansCompleted(const SenseSummary& sense) {
  return sense.Key && (*sense.Key == kSenseNoSense || *sense.Key == kSenseRecoveredError);
}

}  // namespace

AtaOutcome DecodeAtaOutcome(int ioctlResult, unsigned scsiStatus, unsigned hostStatus,
                            unsigned driverStatus, std::span<const std::uint8_t> sense) {
  AtaOutcome outcome;
  if (ioctlResult != 0 || hostStatus != 0 || (driverStatus & kDriverFailureMask) != 0) {
    return outcome;
  }
  const SenseSummary summary = ParseSense(sense);
  const bool completed =
      scsiStatus == kScsiGood || (scsiStatus == kScsiCheckCondition && KeyMeansCompleted(summary));
  bool driveFlaggedError = false;
  bool registersClean = true;
  if (summary.Registers) {
    const std::uint8_t status = summary.Registers->Status;
    outcome.ErrorRegister = summary.Registers->Error;
    outcome.Registers = summary.Registers;
    driveFlaggedError = (status & (kAtaStatusError | kAtaStatusDeviceFault)) != 0;
    registersClean = !driveFlaggedError && (status & kAtaStatusBusy) == 0;
  }
  const bool aborted = scsiStatus == kScsiCheckCondition && summary.Key == kSenseAbortedCommand;
  outcome.DriveReportedError = driveFlaggedError || aborted;
  outcome.Success = completed && registersClean;
  return outcome;
}

}  // namespace halvoric
