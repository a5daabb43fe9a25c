#include "platform/sysfs_disk_control.h"

#include <algorithm>
#include <cstring>

#include "drive/attributes.h"
#include "drive/drive_number.h"
#include "platform/ata_pass_through.h"
#include "platform/ata_request_check.h"
#include "platform/made_up_figures.h"
#include "platform/whole_disks.h"

namespace halvoric {
namespace {

// A drive's string field: blank-padded, two characters per word with the
// first in the high byte, as IDENTIFY carries it.
void PutAtaString(std::uint8_t* field, std::size_t length, const std::string& text) {
  std::string padded = text.substr(0, length);
  padded.resize(length, ' ');
  for (std::size_t i = 0; i + 1 < length; i += 2) {
    field[i] = static_cast<std::uint8_t>(padded[i + 1]);
    field[i + 1] = static_cast<std::uint8_t>(padded[i]);
  }
}

}  // namespace

void FillFallbackIdentify(const DriveFacts& facts, std::uint8_t (&data)[kSectorSize]) {
  std::memset(data, 0, sizeof data);
  PutAtaString(data + kIdentifySerial, kIdentifySerialLength, facts.Serial);
  PutAtaString(data + kIdentifyFirmware, kIdentifyFirmwareLength, facts.Firmware);
  PutAtaString(data + kIdentifyModel, kIdentifyModelLength, facts.Model);
}

void FillFallbackAttributes(int celsius, std::uint8_t (&data)[kSectorSize]) {
  std::memset(data, 0, sizeof data);
  const AttributeEntry entry = MadeUpTemperatureEntry(celsius);
  std::memcpy(data + kTableOffset, &entry, sizeof entry);
}

void FillFallbackThresholds(std::uint8_t (&data)[kSectorSize]) {
  std::memset(data, 0, sizeof data);
  ThresholdEntry entry{};
  entry.Id = kTemperatureAttribute;
  std::memcpy(data + kTableOffset, &entry, sizeof entry);
}

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
  if (!Answer(drive->second, checked->Request, result)) return false;
  std::memcpy(out, &result, sizeof result);
  return true;
}

void SysfsDiskControl::Close(DeviceHandle handle) { drives_.erase(handle); }

TemperatureLimits SysfsDiskControl::KernelLimits(unsigned driveNumber) const {
  const std::vector<std::string> disks = ListWholeDisks(sysfsRoot_);
  if (driveNumber >= disks.size()) return {};
  return ReadHwmonLimits(sysfsRoot_, disks[driveNumber]);
}

bool SysfsDiskControl::Answer(const OpenDrive& drive, const AtaCommandRequest& request,
                              AtaCommandResult& result) {
  result.Header.BufferSize = kSectorSize;
  if (request.Command == kAtaIdentifyDevice) {
    if (drive.Facts.Identify) {
      std::copy(drive.Facts.Identify->begin(), drive.Facts.Identify->end(), result.Data);
    } else {
      FillFallbackIdentify(drive.Facts, result.Data);
    }
    return true;
  }
  if (request.Command != kAtaSmart || !drive.Facts.MilliCelsius) return false;
  if (request.Features == kSmartReadData) {
    FillFallbackAttributes(RoundToCelsius(*drive.Facts.MilliCelsius), result.Data);
    return true;
  }
  FillFallbackThresholds(result.Data);
  return request.Features == kSmartReadThresholds;
}

}  // namespace halvoric
