// SPDX-License-Identifier: GPL-3.0-or-later
// One series of requests to one drive: the drive opened once, the steps
// sent in the order the caller lists them, and the drive closed again on
// every path when the session ends. Every reader of a drive is one call of
// RunSeries with its own list of steps.
#pragma once

#include <bitset>
#include <cstdint>
#include <span>
#include <string>

#include "drive/ata_blocks.h"
#include "drive/attributes.h"
#include "drive/channel.h"
#include "drive/disk_control.h"
#include "drive/drive_commands.h"
#include "drive/power_mode.h"

namespace halvoric {

// The three result blocks. A program has exactly one DriveReader, and so one
// set of them, reused by every series of every drive.
struct ResultBlocks {
  AtaCommandResult IdentifyBlock{};
  AtaCommandResult AttributeBlock{};
  AtaCommandResult ThresholdBlock{};
  // The answer of each command a Send step sent, in its command's place; a
  // command answering in registers fills the first 16 bytes.
  std::array<AtaCommandResult, kDriveCommandCount> Answers{};

  AtaCommandResult& AnswerOf(DriveCommand command) {
    return Answers[static_cast<std::size_t>(command)];
  }
  const AtaCommandResult& AnswerOf(DriveCommand command) const {
    return Answers[static_cast<std::size_t>(command)];
  }
  RegisterAnswer RegistersOf(DriveCommand command) const;
};

// What a series does when the drive does not open.
enum class FailedOpen {
  Stop,       // nothing at all is sent, and nothing closed
  RunAnyway,  // every request goes to the invalid handle and fails there
};

// The drive held open for one series; closed when the session ends.
class DriveSession {
 public:
  DriveSession(DiskControl& disks, DriveNumber n, FailedOpen failed);
  ~DriveSession();
  DriveSession(const DriveSession&) = delete;
  DriveSession& operator=(const DriveSession&) = delete;

  bool Opened() const { return opened_.Ok(); }
  const OpenResult& Open() const { return opened_; }
  DeviceHandle Handle() const { return Opened() ? *opened_ : kInvalidHandle; }
  // Whether there is a handle to send requests to and to close.
  bool Runs() const { return Opened() || failed_ == FailedOpen::RunAnyway; }

 private:
  DiskControl& disks_;
  OpenResult opened_;
  FailedOpen failed_;
};

enum class SeriesRequest : std::uint8_t {
  PowerCheck,     // CHECK POWER MODE
  QueryIdentify,  // the device map, which chooses the IDENTIFY command
  SmartEnable,
  Identify,        // with the command the map chose (IDENTIFY DEVICE without a query)
  ReadAttributes,  // clears both tables first, so a failed read leaves them all zero
  ReadThresholds,
  Send,  // the step's command, its answer into its place in the blocks
};

struct SeriesOutcome;

struct SeriesStep {
  SeriesRequest Request;
  // The series ends when this step fails; a power check "fails" when it
  // finds the drive in standby or asleep, so that nothing wakes it.
  bool StopOnFailure = false;
  DriveCommand Command = DriveCommand::SmartReturnStatus;  // of a Send step
  // A Send step whose condition does not hold sends nothing.
  bool (*When)(const ResultBlocks&, const SeriesOutcome&) = nullptr;
};

// What a series learnt; the blocks hold the answers themselves.
struct SeriesOutcome {
  OpenError OpenFailure = OpenError::None;
  std::string OpenMessage;  // the system's reason, when the open failed
  TableSource Source = TableSource::Ata;
  PowerMode Power = PowerMode::Unknown;  // Unknown unless the check was answered
  bool LeftAsleep = false;               // a power check stopped the series
  // The kernel had runtime-suspended the drive: it was left unopened, as
  // in standby.
  bool RuntimeSuspended = false;
  std::uint8_t IdentifyCommand = kAtaIdentifyDevice;
  bool Enabled = false;
  bool Identified = false;
  bool AttributesRead = false;
  bool ThresholdsRead = false;
  // The commands of Send steps that were answered.
  std::bitset<kDriveCommandCount> Answered;
  bool AnsweredTo(DriveCommand command) const {
    return Answered.test(static_cast<std::size_t>(command));
  }
  // The request block as IDENTIFY went out: the Disk Info page shows it.
  AtaCommandRequest IdentifyRequest{};
};

// Runs `steps` in order over one session of drive `n`; the answers land in
// `blocks`. Without the drive opened and with FailedOpen::Stop, no step runs.
// Steps that start with a power check that stops the series never open a
// drive that the kernel has runtime-suspended.
SeriesOutcome RunSeries(DiskControl& disks, ResultBlocks& blocks, DriveNumber n,
                        std::span<const SeriesStep> steps, FailedOpen failed);

// Whether the SCT status is the drive's only home of its temperature: its
// ATA table came back without one, and it names SCT in its IDENTIFY data.
bool NeedsSctTemperature(const ResultBlocks& blocks, const SeriesOutcome& outcome);

// Zeroes both tables, so that a failed read leaves all-zero tables,
// whatever an earlier series of any drive left in them.
void ClearTables(ResultBlocks& blocks);

}  // namespace halvoric
