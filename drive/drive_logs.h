// SPDX-License-Identifier: GPL-3.0-or-later
// A drive examined rather than watched: its self-test now, the self-tests
// and errors it logged, and the self-test started or aborted on request.
// Each is one call over the reader; nothing here writes to the disk.
#pragma once

#include <optional>
#include <string>

#include "base/result.h"
#include "drive/channel.h"
#include "drive/drive_session.h"
#include "drive/error_log.h"
#include "drive/self_test.h"

namespace halvoric {

class DriveReader;

struct DriveLogs {
  OpenError OpenFailure = OpenError::None;
  std::string OpenMessage;  // the system's reason, when the open failed
  TableSource Source = TableSource::Ata;
  std::string Model;   // as the drive sends it; empty where it did not identify
  std::string Serial;  // itself
  SelfTestAbilities Abilities;
  // None where the drive did not say (SMART READ DATA, or NVMe's log).
  std::optional<SelfTestState> SelfTest;
  std::optional<SelfTestLog> SelfTests;          // ATA 06h, or NVMe's log
  std::optional<SelfTestLog> ExtendedSelfTests;  // ATA 07h
  std::optional<AtaErrorLog> Errors;             // ATA 01h
  std::optional<AtaErrorLog> ExtendedErrors;     // ATA 03h
  std::optional<NvmeErrorLog> NvmeErrors;
};

// One series: IDENTIFY, SMART READ DATA and each log the drive says it
// keeps. It wakes a drive that sleeps.
DriveLogs ReadDriveLogs(DriveReader& reader, DriveNumber n);
// The self-test and logs among what a series of drive tables read, for a
// reader that adds the log steps to its own; the strings are left to it.
DriveLogs DecodeDriveLogs(const ResultBlocks& blocks, const SeriesOutcome& series);

// The self-test running now, read while one runs: nothing but CHECK POWER
// MODE reaches a drive in standby.
struct SelfTestPoll {
  bool Asleep = false;
  std::optional<SelfTestState> State;  // none: asleep, or the drive did not say
};
SelfTestPoll PollSelfTest(DriveReader& reader, DriveNumber n);

struct SelfTestStarted {
  SelfTestAction Action = SelfTestAction::Short;
  std::optional<int> Minutes;  // how long the drive says it takes
};

// Starts a test the drive runs, in its background, when none runs; aborts
// the one that runs. The message says why nothing was sent, or that the
// drive refused.
Result<SelfTestStarted> RunSelfTest(DriveReader& reader, DriveNumber n, SelfTestAction action);

// The conditions of the log series' steps: what the drive says it keeps.
bool KeepsSelfTestLog(const ResultBlocks& blocks, const SeriesOutcome& outcome);
bool KeepsErrorLog(const ResultBlocks& blocks, const SeriesOutcome& outcome);
bool KeepsExtendedSelfTestLog(const ResultBlocks& blocks, const SeriesOutcome& outcome);
bool KeepsExtendedErrorLog(const ResultBlocks& blocks, const SeriesOutcome& outcome);
bool IsNvme(const ResultBlocks& blocks, const SeriesOutcome& outcome);

}  // namespace halvoric
