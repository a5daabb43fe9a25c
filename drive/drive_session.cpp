// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/drive_session.h"

#include <cstring>

namespace halvoric {
namespace {

// The requests of one session share one request block, cleared before the
// first of them fills it.
class SeriesRun {
 public:
  SeriesRun(DiskControl& disks, ResultBlocks& blocks, DriveNumber n, DeviceHandle handle,
            SeriesOutcome& outcome)
      : disks_(disks), blocks_(blocks), n_(n), handle_(handle), outcome_(outcome) {}

  // Whether the series goes on after the step, were it to stop on failure.
  bool Take(const SeriesStep& step) {
    switch (step.Request) {
      case SeriesRequest::PowerCheck:
        return CheckPower();
      case SeriesRequest::QueryIdentify:
        outcome_.IdentifyCommand = QueryIdentifyCommand(disks_, handle_, n_);
        return true;
      case SeriesRequest::SmartEnable: {
        AtaResultHeader enableAnswer{};
        outcome_.Enabled = SendSmartEnable(disks_, handle_, request_, enableAnswer, n_);
        return outcome_.Enabled;
      }
      case SeriesRequest::Identify:
        outcome_.Identified = SendIdentify(disks_, handle_, request_, blocks_.IdentifyBlock,
                                           outcome_.IdentifyCommand, n_);
        outcome_.IdentifyRequest = request_;
        return outcome_.Identified;
      case SeriesRequest::ReadAttributes:
        ClearTables(blocks_);
        outcome_.AttributesRead =
            ReadSmartAttributes(disks_, handle_, request_, blocks_.AttributeBlock, n_);
        return outcome_.AttributesRead;
      case SeriesRequest::ReadThresholds:
        outcome_.ThresholdsRead =
            ReadSmartThresholds(disks_, handle_, request_, blocks_.ThresholdBlock, n_);
        return outcome_.ThresholdsRead;
      case SeriesRequest::Send:
        return SendStep(step);
    }
    return false;
  }

 private:
  bool SendStep(const SeriesStep& step) {
    if (step.When && !step.When(blocks_, outcome_)) return true;
    // A failed request leaves no earlier drive's answer behind.
    AtaCommandResult& answer = blocks_.AnswerOf(step.Command);
    answer = AtaCommandResult{};
    const bool answered = SendDriveCommand(disks_, handle_, request_, step.Command, &answer,
                                           RowOf(step.Command).OutSize, n_);
    outcome_.Answered.set(static_cast<std::size_t>(step.Command), answered);
    return answered;
  }

  bool CheckPower() {
    RegisterAnswer answer{};
    if (!SendCheckPowerMode(disks_, handle_, request_, answer, n_)) return true;
    outcome_.Power = DecodePowerMode(answer);
    const bool spunDown =
        outcome_.Power == PowerMode::Standby || outcome_.Power == PowerMode::Sleep;
    return !spunDown;
  }

  DiskControl& disks_;
  ResultBlocks& blocks_;
  DriveNumber n_;
  DeviceHandle handle_;
  SeriesOutcome& outcome_;
  AtaCommandRequest request_{};
};

}  // namespace

DriveSession::DriveSession(DiskControl& disks, DriveNumber n, FailedOpen failed)
    : disks_(disks), opened_(disks.Open(DevicePath(n))), failed_(failed) {}

DriveSession::~DriveSession() {
  if (Runs()) disks_.Close(Handle());
}

SeriesOutcome RunSeries(DiskControl& disks, ResultBlocks& blocks, DriveNumber n,
                        std::span<const SeriesStep> steps, FailedOpen failed) {
  SeriesOutcome outcome;
  // A series that must not wake a spun-down disk leaves one the kernel has
  // runtime-suspended unopened: the open, or any request, would resume it.
  const bool leavesAsleep = !steps.empty() && steps.front().Request == SeriesRequest::PowerCheck &&
                            steps.front().StopOnFailure;
  if (leavesAsleep && disks.RuntimeSuspended(n)) {
    outcome.Power = PowerMode::Standby;
    outcome.LeftAsleep = true;
    outcome.RuntimeSuspended = true;
    return outcome;
  }
  const DriveSession session(disks, n, failed);
  if (!session.Opened()) {
    outcome.OpenFailure = session.Open().Kind;
    outcome.OpenMessage = session.Open().Message;
  }
  if (!session.Runs()) return outcome;
  outcome.Source = disks.AnswersFromNvme(session.Handle()) ? TableSource::Nvme : TableSource::Ata;
  SeriesRun run(disks, blocks, n, session.Handle(), outcome);
  for (const SeriesStep& step : steps) {
    const bool goesOn = run.Take(step);
    if (!goesOn && step.StopOnFailure) {
      outcome.LeftAsleep = step.Request == SeriesRequest::PowerCheck;
      break;
    }
  }
  return outcome;
}

RegisterAnswer ResultBlocks::RegistersOf(DriveCommand command) const {
  RegisterAnswer registers;
  std::memcpy(&registers, &AnswerOf(command), sizeof registers);
  return registers;
}

bool NeedsSctTemperature(const ResultBlocks& blocks, const SeriesOutcome& outcome) {
  constexpr std::size_t kSctWord = 206;
  const std::uint8_t* identify = blocks.IdentifyBlock.Data;
  const bool sctSupported = (identify[kSctWord * 2] & 0x01) != 0;
  return outcome.Source == TableSource::Ata && outcome.Identified && outcome.AttributesRead &&
         sctSupported && !TemperatureAttributeOf(blocks.AttributeBlock.Data);
}

void ClearTables(ResultBlocks& blocks) {
  std::memset(&blocks.AttributeBlock, 0, sizeof blocks.AttributeBlock);
  std::memset(&blocks.ThresholdBlock, 0, sizeof blocks.ThresholdBlock);
}

}  // namespace halvoric
