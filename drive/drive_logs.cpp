// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/drive_logs.h"

#include <algorithm>
#include <iterator>

#include "drive/drive_reader.h"
#include "drive/drive_series.h"
#include "drive/identify.h"
#include "drive/nvme_figures.h"

namespace halvoric {
namespace {

// SMART READ DATA: self-tests supported (byte 367 bit 4), error logging
// (byte 370 bit 0).
constexpr std::size_t kOfflineCapability = 367;
constexpr std::uint8_t kSelfTestsSupported = 0x10;
constexpr std::size_t kErrorLogging = 370;
// IDENTIFY words 84 and 87, each valid when bits 15..14 read 01: bit 5
// says the drive keeps its logs for READ LOG EXT too.
constexpr std::size_t kFeatureWords[] = {84, 87};
constexpr std::uint16_t kGeneralPurposeLogging = 0x0020;

constexpr struct {
  SelfTestAction Action;
  DriveCommand Command;
} kActionCommands[] = {
    {SelfTestAction::Short, DriveCommand::StartShortSelfTest},
    {SelfTestAction::Extended, DriveCommand::StartExtendedSelfTest},
    {SelfTestAction::Conveyance, DriveCommand::StartConveyanceSelfTest},
    {SelfTestAction::Abort, DriveCommand::AbortSelfTest},
};

bool AtaDataSays(const ResultBlocks& blocks, const SeriesOutcome& outcome, std::size_t byte,
                 std::uint8_t bit) {
  return outcome.Source == TableSource::Ata && outcome.AttributesRead &&
         (blocks.AttributeBlock.Data[byte] & bit) != 0;
}

bool GeneralPurposeLogging(const ResultBlocks& blocks, const SeriesOutcome& outcome) {
  if (!outcome.Identified) return false;
  const std::uint8_t* identify = blocks.IdentifyBlock.Data;
  for (const std::size_t word : kFeatureWords) {
    const unsigned value = identify[2 * word] | identify[2 * word + 1] << 8;
    if ((value & 0xC000) == 0x4000 && (value & kGeneralPurposeLogging) != 0) return true;
  }
  return false;
}

const SectorBytes* AnswerOf(const ResultBlocks& blocks, const SeriesOutcome& series,
                            DriveCommand command) {
  return series.AnsweredTo(command) ? &blocks.AnswerOf(command).Data : nullptr;
}

void DecodeNvme(const ResultBlocks& blocks, const SeriesOutcome& series, DriveLogs& logs) {
  if (series.Identified) logs.Abilities = NvmeSelfTestAbilities(blocks.IdentifyBlock.Data);
  if (const SectorBytes* log = AnswerOf(blocks, series, DriveCommand::SmartReadSelfTestLog)) {
    logs.SelfTest = NvmeSelfTestState(*log);
    logs.SelfTests = DecodeNvmeSelfTestLog(*log);
  }
  if (const SectorBytes* log = AnswerOf(blocks, series, DriveCommand::SmartReadErrorLog)) {
    logs.NvmeErrors = DecodeNvmeErrorLog(*log);
  }
}

void DecodeAta(const ResultBlocks& blocks, const SeriesOutcome& series, DriveLogs& logs) {
  if (const SectorBytes* log = AnswerOf(blocks, series, DriveCommand::SmartReadSelfTestLog)) {
    logs.SelfTests = DecodeAtaSelfTestLog(*log);
  }
  if (const SectorBytes* log = AnswerOf(blocks, series, DriveCommand::ReadExtendedSelfTestLog)) {
    logs.ExtendedSelfTests = DecodeExtendedSelfTestLog(*log);
  }
  if (const SectorBytes* log = AnswerOf(blocks, series, DriveCommand::SmartReadErrorLog)) {
    logs.Errors = DecodeAtaErrorLog(*log);
  }
  if (const SectorBytes* log = AnswerOf(blocks, series, DriveCommand::ReadExtendedErrorLog)) {
    logs.ExtendedErrors = DecodeExtendedErrorLog(*log);
  }
  if (!series.AttributesRead) return;
  const SelfTestLog* newest = logs.SelfTests           ? &*logs.SelfTests
                              : logs.ExtendedSelfTests ? &*logs.ExtendedSelfTests
                                                       : nullptr;
  logs.Abilities = AtaSelfTestAbilities(blocks.AttributeBlock.Data);
  logs.SelfTest = AtaSelfTestState(blocks.AttributeBlock.Data, newest);
}

}  // namespace

bool KeepsSelfTestLog(const ResultBlocks& blocks, const SeriesOutcome& outcome) {
  if (outcome.Source == TableSource::Nvme) {
    return outcome.Identified && NvmeSelfTestAbilities(blocks.IdentifyBlock.Data).ShortAndExtended;
  }
  return AtaDataSays(blocks, outcome, kOfflineCapability, kSelfTestsSupported);
}

bool KeepsErrorLog(const ResultBlocks& blocks, const SeriesOutcome& outcome) {
  // Every NVMe controller keeps its error information log.
  return outcome.Source == TableSource::Nvme || AtaDataSays(blocks, outcome, kErrorLogging, 0x01);
}

bool KeepsExtendedSelfTestLog(const ResultBlocks& blocks, const SeriesOutcome& outcome) {
  return AtaDataSays(blocks, outcome, kOfflineCapability, kSelfTestsSupported) &&
         GeneralPurposeLogging(blocks, outcome);
}

bool KeepsExtendedErrorLog(const ResultBlocks& blocks, const SeriesOutcome& outcome) {
  return AtaDataSays(blocks, outcome, kErrorLogging, 0x01) &&
         GeneralPurposeLogging(blocks, outcome);
}

DriveLogs DecodeDriveLogs(const ResultBlocks& blocks, const SeriesOutcome& series) {
  DriveLogs logs;
  logs.OpenFailure = series.OpenFailure;
  logs.OpenMessage = series.OpenMessage;
  logs.Source = series.Source;
  if (series.OpenFailure != OpenError::None) return logs;
  if (series.Source == TableSource::Nvme) {
    DecodeNvme(blocks, series, logs);
  } else {
    DecodeAta(blocks, series, logs);
  }
  return logs;
}

DriveLogs ReadDriveLogs(DriveReader& reader, DriveNumber n) {
  const SeriesOutcome series = reader.RunSeries(n, kLogSeries, FailedOpen::Stop);
  DriveLogs logs = DecodeDriveLogs(reader.Blocks(), series);
  // After the abilities: decoding the strings turns the identify block in place.
  if (series.Identified) {
    AtaCommandResult& identify = reader.Blocks().IdentifyBlock;
    logs.Model = DecodeModel(identify);
    logs.Serial = DecodeAtaString(identify.Data + kIdentifySerial, kIdentifySerialLength);
  }
  return logs;
}

bool IsNvme(const ResultBlocks&, const SeriesOutcome& outcome) {
  return outcome.Source == TableSource::Nvme;
}

SelfTestPoll PollSelfTest(DriveReader& reader, DriveNumber n) {
  const SeriesOutcome series = reader.RunSeries(n, kSelfTestPollSeries, FailedOpen::Stop);
  SelfTestPoll poll;
  poll.Asleep = series.LeftAsleep;
  const ResultBlocks& blocks = reader.Blocks();
  if (series.Source == TableSource::Nvme) {
    if (series.AnsweredTo(DriveCommand::SmartReadSelfTestLog)) {
      poll.State = NvmeSelfTestState(blocks.AnswerOf(DriveCommand::SmartReadSelfTestLog).Data);
    }
  } else if (series.AttributesRead) {
    poll.State = AtaSelfTestState(blocks.AttributeBlock.Data, nullptr);
  }
  return poll;
}

Result<SelfTestStarted> RunSelfTest(DriveReader& reader, DriveNumber n, SelfTestAction action) {
  const std::string drive = "drive " + std::to_string(n);
  const DriveLogs logs = ReadDriveLogs(reader, n);
  if (logs.OpenFailure != OpenError::None) {
    return Failure{drive + " cannot be opened: " + logs.OpenMessage};
  }
  const std::string word = SelfTestActionWord(action);
  if (!logs.Abilities.Runs(action)) {
    return Failure{drive + " does not run " +
                   (action == SelfTestAction::Abort ? "self-tests" : word + " self-tests")};
  }
  if (!logs.SelfTest) return Failure{drive + " does not say whether a self-test runs"};
  const SelfTestState& now = *logs.SelfTest;
  if (action == SelfTestAction::Abort && !now.Running) {
    return Failure{"no self-test runs on " + drive};
  }
  if (action != SelfTestAction::Abort && now.Running) {
    return Failure{"a self-test already runs on " + drive + " (" +
                   std::to_string(now.PercentLeft.value_or(0)) + "% remaining); abort it first"};
  }
  const auto* row = std::find_if(std::begin(kActionCommands), std::end(kActionCommands),
                                 [action](const auto& r) { return r.Action == action; });
  const SeriesStep steps[] = {{SeriesRequest::Send, false, row->Command}};
  const SeriesOutcome sent = reader.RunSeries(n, steps, FailedOpen::Stop);
  if (!sent.AnsweredTo(row->Command)) {
    return Failure{drive + " refused the " + word + " command"};
  }
  return SelfTestStarted{action, logs.Abilities.MinutesOf(action)};
}

}  // namespace halvoric
