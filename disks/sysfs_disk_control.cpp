// SPDX-License-Identifier: GPL-3.0-or-later
#include "disks/sysfs_disk_control.h"

#include <algorithm>
#include <cstring>

#include "disks/ata_pass_through.h"
#include "disks/whole_disks.h"
#include "drive/ata_request_check.h"
#include "drive/attributes.h"
#include "drive/drive_number.h"
#include "drive/stand_in_figures.h"

namespace halvoric {

SysfsDiskControl::SysfsDiskControl(std::filesystem::path sysfsRoot)
    : sysfsRoot_(std::move(sysfsRoot)) {}

OpenResult SysfsDiskControl::Open(const std::string& path) {
  const std::optional<DriveNumber> number = ParseDrivePath(path);
  const std::vector<std::string> disks = ListWholeDisks(sysfsRoot_);
  if (!number || *number >= disks.size()) {
    return {OpenError::NotFound, "no whole disk for " + path};
  }
  const DeviceHandle handle = nextHandle_++;
  const OpenDrive& drive = drives_[handle] = {*number, ReadDriveFacts(sysfsRoot_, disks[*number])};
  const char* identify = drive.Facts.Identify ? "the kernel's copy of the IDENTIFY sector"
                                              : "an IDENTIFY sector built from the model strings";
  const char* temperature = drive.Facts.MilliCelsius
                                ? "the temperature from hwmon"
                                : "no temperature in hwmon, so no attribute table";
  diagnostics_.Tell(*number, "drive " + std::to_string(*number) + " is " + disks[*number] + ": " +
                                 identify + ", " + temperature);
  return handle;
}

bool SysfsDiskControl::Control(DeviceHandle handle, std::uint32_t code, const void* in,
                               std::size_t inSize, void* out, std::size_t outSize) {
  const auto drive = drives_.find(handle);
  if (drive == drives_.end()) return false;
  if (code == SMART_GET_VERSION) return AnswerVersion(drive->second.Number, inSize, out, outSize);
  const Result<CheckedAtaRequest> checked = CheckAtaRequest(code, in, inSize, out, outSize);
  if (!checked.Ok() || checked->Protocol != AtaProtocol::PioDataIn) return false;
  AtaCommandResult result{};
  if (!Answer(drive->second, checked->Command, result)) return false;
  std::memcpy(out, &result, sizeof result);
  return true;
}

void SysfsDiskControl::Close(DeviceHandle handle) { drives_.erase(handle); }

TemperatureLimits SysfsDiskControl::KernelLimits(unsigned driveNumber) const {
  const std::vector<std::string> disks = ListWholeDisks(sysfsRoot_);
  if (driveNumber >= disks.size()) return {};
  return ReadHwmonLimits(sysfsRoot_, disks[driveNumber]);
}

std::string SysfsDiskControl::KernelModel(unsigned driveNumber) const {
  const std::vector<std::string> disks = ListWholeDisks(sysfsRoot_);
  if (driveNumber >= disks.size()) return {};
  return ReadDriveFacts(sysfsRoot_, disks[driveNumber]).Model;
}

unsigned SysfsDiskControl::DriveCount() const {
  return static_cast<unsigned>(ListWholeDisks(sysfsRoot_).size());
}

bool SysfsDiskControl::RuntimeSuspended(unsigned driveNumber) const {
  const std::vector<std::string> disks = ListWholeDisks(sysfsRoot_);
  return driveNumber < disks.size() && IsRuntimeSuspended(sysfsRoot_, disks[driveNumber]);
}

bool SysfsDiskControl::Answer(const OpenDrive& drive, DriveCommand command,
                              AtaCommandResult& result) {
  result.Header.BufferSize = kSectorSize;
  const std::optional<int>& milliCelsius = drive.Facts.MilliCelsius;
  switch (command) {
    case DriveCommand::IdentifyDevice:
      if (drive.Facts.Identify) {
        std::copy(drive.Facts.Identify->begin(), drive.Facts.Identify->end(), result.Data);
      } else {
        FillStandInIdentify(drive.Facts, result.Data);
      }
      return true;
    case DriveCommand::SmartReadData:
      if (milliCelsius) FillStandInAttributes(RoundToCelsius(*milliCelsius), result.Data);
      return milliCelsius.has_value();
    case DriveCommand::SmartReadThresholds:
      if (milliCelsius) FillStandInThresholds(result.Data);
      return milliCelsius.has_value();
    default:
      // The kernel keeps nothing that answers the others.
      return false;
  }
}

}  // namespace halvoric
