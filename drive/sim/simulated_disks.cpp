// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/sim/simulated_disks.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "drive/attributes.h"
#include "drive/drive_commands.h"
#include "drive/drive_number.h"
#include "drive/nvme_translation.h"

namespace halvoric::sim {
namespace {

// SMART READ DATA's self-test execution status.
constexpr std::size_t kSelfTestStatusByte = 363;

// The composite temperature of an NVMe drive without a schedule.
constexpr int kNvmeDefaultCelsius = 40;

// The time-out the Linux backend gives each request.
constexpr unsigned kRequestTimeoutMs = 10000;

// As a real drive does, it says it is failing once an attribute has
// reached its threshold.
bool CrossedThreshold(const SimDrive& drive, double now) {
  AtaCommandResult data{};
  AtaCommandResult thresholds{};
  const Sector dataSector = BuildDataSector(drive, now);
  const Sector thresholdSector = BuildThresholdSector(drive);
  std::memcpy(data.Data, dataSector.data(), kSectorSize);
  std::memcpy(thresholds.Data, thresholdSector.data(), kSectorSize);
  const auto listed = ListAttributes(data.Data, thresholds.Data);
  return std::any_of(listed.begin(), listed.end(),
                     [](const TableAttribute& a) { return a.State == Status::Bad; });
}

void PutSector(void* out, const Sector& sector) {
  AtaCommandResult result{};
  result.Header.BufferSize = kSectorSize;
  std::memcpy(result.Data, sector.data(), sector.size());
  std::memcpy(out, &result, sizeof result);
}

}  // namespace

SimulatedDisks::SimulatedDisks(Scenario scenario, Clock clock)
    : scenario_(std::move(scenario)), clock_(std::move(clock)) {
  if (!clock_) {
    const auto start = std::chrono::steady_clock::now();
    clock_ = [start] {
      return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
  }
}

OpenResult SimulatedDisks::Open(const std::string& path) {
  const OpenResult result = OpenDrive(path);
  RecordedEvent event{RecordedEvent::Kind::Open, path};
  event.Handle = result.Ok() ? *result : kInvalidHandle;
  event.Succeeded = result.Ok();
  const auto number = ParseDrivePath(path);
  event.Woke = number && RuntimeSuspended(*number);
  events_.push_back(event);
  return result;
}

OpenResult SimulatedDisks::OpenDrive(const std::string& path) {
  const auto number = ParseDrivePath(path);
  const SimDrive* drive = number ? scenario_.Find(*number) : nullptr;
  if (!drive) return {OpenError::NotFound, "No such device"};
  if (drive->PermissionDenied) return {OpenError::PermissionDenied, "Permission denied"};
  if (drive->Fails(Fault::Open)) return {OpenError::Other, "Input/output error"};
  const DeviceHandle handle = nextHandle_++;
  open_[handle] = drive->Number;
  return handle;
}

bool SimulatedDisks::Control(DeviceHandle handle, std::uint32_t code, const void* in,
                             std::size_t inSize, void* out, std::size_t outSize) {
  RecordedEvent event{RecordedEvent::Kind::Control, {}, handle, code};
  const AtaCommandRequest* request = nullptr;
  if (in && inSize == sizeof(AtaCommandRequest)) {
    std::memcpy(&event.Request, in, sizeof event.Request);
    request = &event.Request;
  }
  const auto it = open_.find(handle);
  if (it != open_.end()) {
    const SimDrive& drive = *scenario_.Find(it->second);
    if (drive.DelayMs && clock_() >= drive.DelayFromSeconds) {
      // As the kernel does, a request that takes longer than its time-out
      // is ended there and fails.
      std::this_thread::sleep_for(
          std::chrono::milliseconds(std::min(drive.DelayMs, kRequestTimeoutMs)));
      if (drive.DelayMs > kRequestTimeoutMs) {
        events_.push_back(event);
        return false;
      }
    }
    const double now = clock_();
    const DriveCommandRow* row = request ? FindDriveCommand(code, *request) : nullptr;
    // The version query is the driver's answer; everything else reaches
    // the drive, whether it then carries it out or not, and wakes it
    // unless its row may go to a drive that is asleep.
    const bool wakes = code != SMART_GET_VERSION && !(row && row->AsleepOk);
    if (wakes && PowerModeAt(drive, now) != PowerMode::Active) {
      wokenAt_[drive.Number] = now;
      event.Woke = true;
    }
    if (code == SMART_GET_VERSION) {
      event.Succeeded = AnswerVersion(drive, out, outSize);
    } else if (row && drive.Nvme) {
      event.Succeeded = AnswerNvme(drive, *row, now, out, outSize);
    } else if (row) {
      event.Succeeded = Answer(drive, *row, *request, now, out, outSize);
    }
  }
  events_.push_back(event);
  return event.Succeeded;
}

bool SimulatedDisks::AnswerVersion(const SimDrive& drive, void* out, std::size_t outSize) const {
  if (!out || outSize < sizeof(VersionAnswer) || drive.Fails(Fault::Version)) return false;
  VersionAnswer answer{1, 1, 0, 0, 7, {}};
  if (drive.Number < 4) {
    answer.IdeDeviceMap = static_cast<std::uint8_t>(1u << (drive.Number + (drive.Packet ? 4 : 0)));
  }
  std::memcpy(out, &answer, sizeof answer);
  return true;
}

bool SimulatedDisks::Answer(const SimDrive& drive, const DriveCommandRow& row,
                            const AtaCommandRequest& request, double now, void* out,
                            std::size_t outSize) {
  // Like a real drive, refuse a SMART command without the 4F/C2 signature.
  if (!out || outSize < row.OutSize || request.BufferSize != row.BufferSize ||
      request.CylinderLow != row.CylinderLow || request.CylinderHigh != row.CylinderHigh) {
    return false;
  }
  switch (row.Command) {
    case DriveCommand::SmartEnable:
      if (drive.Packet || drive.Fails(Fault::Enable)) return false;
      std::memset(out, 0, sizeof(AtaResultHeader));
      return true;
    case DriveCommand::IdentifyDevice:
    case DriveCommand::IdentifyPacketDevice:
      if ((row.Command == DriveCommand::IdentifyPacketDevice) != drive.Packet ||
          drive.Fails(Fault::Identify)) {
        return false;
      }
      PutSector(out, BuildIdentifySector(drive));
      return true;
    case DriveCommand::SmartReadData: {
      if (drive.Packet || drive.Fails(Fault::ReadData)) return false;
      Sector data = BuildDataSector(drive, now);
      if (const auto status = selfTests_.StatusAt(drive, now)) {
        data[kSelfTestStatusByte] = *status;
        SealSector(data);
      }
      PutSector(out, data);
      return true;
    }
    case DriveCommand::SmartReadThresholds:
      if (drive.Packet || drive.Fails(Fault::ReadThresholds)) return false;
      PutSector(out, BuildThresholdSector(drive));
      return true;
    case DriveCommand::CheckPowerMode:
      return AnswerPowerCheck(drive, now, out);
    case DriveCommand::SmartReturnStatus: {
      if (drive.Packet || drive.Fails(Fault::ReturnStatus)) return false;
      const bool failing = drive.Failing || CrossedThreshold(drive, now);
      RegisterAnswer answer{};
      answer.CylinderLow = failing ? kSmartFailingCylinderLow : kSmartCylinderLow;
      answer.CylinderHigh = failing ? kSmartFailingCylinderHigh : kSmartCylinderHigh;
      std::memcpy(out, &answer, sizeof answer);
      return true;
    }
    case DriveCommand::SmartReadSctStatus:
      // Only a drive that names SCT in its IDENTIFY data keeps the log.
      if (drive.TemperatureIn != TemperatureHome::SctStatus || drive.Fails(Fault::SctStatus)) {
        return false;
      }
      PutSector(out, BuildSctStatusSector(drive, now));
      return true;
    case DriveCommand::SmartReadErrorLog:
      if (drive.Packet || drive.Fails(Fault::ErrorLog)) return false;
      PutSector(out, BuildErrorLogSector(drive, now));
      return true;
    case DriveCommand::SmartReadSelfTestLog:
      if (drive.Packet || !drive.RunsSelfTests || drive.Fails(Fault::SelfTestLog)) return false;
      PutSector(out, BuildSelfTestLogSector(drive, selfTests_.Ran(drive, now)));
      return true;
    case DriveCommand::ReadExtendedErrorLog:
    case DriveCommand::ReadExtendedSelfTestLog:
      // Its IDENTIFY data names no general-purpose logging.
      return false;
    case DriveCommand::StartShortSelfTest:
    case DriveCommand::StartExtendedSelfTest:
    case DriveCommand::StartConveyanceSelfTest:
    case DriveCommand::AbortSelfTest: {
      if (drive.Packet || drive.Fails(Fault::SelfTest)) return false;
      const bool abort = row.Command == DriveCommand::AbortSelfTest;
      if (abort) selfTests_.Abort(drive, now);
      if (!abort && !selfTests_.Start(drive, request.SectorNumber, now)) return false;
      std::memset(out, 0, sizeof(AtaResultHeader));
      return true;
    }
  }
  return false;
}

// As the Linux backend's NVMe path does: the row's NVMe equivalent, its
// answer put into the ATA blocks by the same translation.
bool SimulatedDisks::AnswerNvme(const SimDrive& drive, const DriveCommandRow& row, double now,
                                void* out, std::size_t outSize) const {
  if (!out || outSize < sizeof(AtaCommandResult)) return false;
  const SimNvme& nvme = *drive.Nvme;
  AtaCommandResult result{};
  const auto log = [&] {
    return BuildNvmeHealthLog(nvme, now, drive.TemperatureAt(now).value_or(kNvmeDefaultCelsius));
  };
  switch (row.Nvme) {
    case NvmeEquivalent::IdentifyController:
      if (drive.Fails(Fault::Identify)) return false;
      NvmeIdentifyToAta(BuildNvmeIdentify(nvme, drive.Model, drive.Serial, drive.Firmware),
                        result.Data);
      break;
    case NvmeEquivalent::HealthAttributes:
      if (drive.Fails(Fault::ReadData)) return false;
      NvmeHealthToAttributes(log(), result.Data);
      break;
    case NvmeEquivalent::HealthThresholds:
      if (drive.Fails(Fault::ReadThresholds)) return false;
      NvmeHealthToThresholds(log(), result.Data);
      break;
    case NvmeEquivalent::SelfTestLog:
      if (drive.Fails(Fault::SelfTestLog)) return false;
      BuildEmptyNvmeSelfTestLog(result.Data);
      break;
    case NvmeEquivalent::ErrorLog:
      if (drive.Fails(Fault::ErrorLog)) return false;
      break;
    default:
      // It says it runs no self-tests (OACS), and NVMe has no power check.
      return false;
  }
  result.Header.BufferSize = kSectorSize;
  std::memcpy(out, &result, sizeof result);
  return true;
}

bool SimulatedDisks::AnswersFromNvme(DeviceHandle handle) const {
  const auto it = open_.find(handle);
  if (it == open_.end()) return false;
  const SimDrive* drive = scenario_.Find(it->second);
  return drive && drive->Nvme;
}

bool SimulatedDisks::AnswerPowerCheck(const SimDrive& drive, double now, void* out) const {
  if (drive.Fails(Fault::PowerCheck)) return false;
  RegisterAnswer answer{};
  switch (PowerModeAt(drive, now)) {
    case PowerMode::Standby:
      answer.SectorCount = 0x00;
      break;
    case PowerMode::Sleep:
      answer.Asleep = 1;
      break;
    default:
      answer.SectorCount = 0xFF;
      break;
  }
  std::memcpy(out, &answer, sizeof answer);
  return true;
}

PowerMode SimulatedDisks::PowerModeAt(const SimDrive& drive, double now) const {
  const PowerSpan* span = drive.PowerSpanAt(now);
  if (!span) return PowerMode::Active;
  const auto woken = wokenAt_.find(drive.Number);
  const bool wokenDuringSpan =
      woken != wokenAt_.end() && woken->second >= span->FromSeconds && woken->second <= now;
  return wokenDuringSpan ? PowerMode::Active : span->Mode;
}

void SimulatedDisks::Close(DeviceHandle handle) {
  RecordedEvent event{RecordedEvent::Kind::Close, {}, handle};
  event.Succeeded = open_.erase(handle) != 0;
  events_.push_back(event);
}

std::string SimulatedDisks::KernelModel(unsigned driveNumber) const {
  const SimDrive* drive = scenario_.Find(driveNumber);
  return drive ? drive->Model : std::string();
}

TemperatureLimits SimulatedDisks::KernelLimits(unsigned driveNumber) const {
  const SimDrive* drive = scenario_.Find(driveNumber);
  return drive == nullptr ? TemperatureLimits{} : drive->Limits;
}

unsigned SimulatedDisks::DriveCount() const {
  unsigned count = 0;
  for (const SimDrive& drive : scenario_.Drives) count = std::max(count, drive.Number + 1);
  return count;
}

// The kernel suspends the disk again after its autosuspend delay, which is
// shorter than any watch's tick: an open during the span does not end it.
bool SimulatedDisks::RuntimeSuspended(unsigned driveNumber) const {
  const SimDrive* drive = scenario_.Find(driveNumber);
  return drive != nullptr && drive->RuntimeSuspendedAt(clock_());
}

}  // namespace halvoric::sim
