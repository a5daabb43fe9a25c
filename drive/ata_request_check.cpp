#include "drive/ata_request_check.h"

#include <cstring>
#include <utility>

namespace halvoric {
namespace {

constexpr std::uint8_t kDriveHeadBase = 0xA0;
constexpr std::uint8_t kDriveHeadDeviceBit = 0x10;

bool IsAllowedDataCommand(const AtaCommandRequest& request) {
  if (request.Command == kAtaIdentifyDevice || request.Command == kAtaIdentifyPacketDevice) {
    return true;
  }
  return request.Command == kAtaSmart &&
         (request.Features == kSmartReadData || request.Features == kSmartReadThresholds);
}

bool IsAllowedNonDataCommand(const AtaCommandRequest& request) {
  return request.Command == kAtaSmart && request.Features == kSmartEnableOperations;
}

Result<> CheckDriveHead(const AtaCommandRequest& request) {
  if ((request.DriveHead & ~kDriveHeadDeviceBit) != kDriveHeadBase) {
    return Failure{"drive/head register must be 0xA0 or 0xB0"};
  }
  return Result<>::Done();
}

// The series fills every other register with fixed values; nothing else
// may reach the drive through them.
Result<> CheckRegisters(const AtaCommandRequest& request) {
  const bool smart = request.Command == kAtaSmart;
  if (!smart && request.Features != 0) return Failure{"features must be 0 for IDENTIFY"};
  if (request.SectorCount != 1 || request.SectorNumber != 1) {
    return Failure{"sector count and number must be 1"};
  }
  if (request.CylinderLow != (smart ? kSmartCylinderLow : 0) ||
      request.CylinderHigh != (smart ? kSmartCylinderHigh : 0)) {
    return Failure{"cylinder registers do not belong to the command"};
  }
  return CheckDriveHead(request);
}

Result<> CheckNonData(const AtaCommandRequest& request, std::size_t outSize) {
  if (outSize < sizeof(AtaResultHeader)) {
    return Failure{"output smaller than the 16-byte result header"};
  }
  if (request.BufferSize != 0) return Failure{"buffer size must be 0 for a command without data"};
  if (!IsAllowedNonDataCommand(request)) return Failure{"command not allowed without data"};
  return CheckRegisters(request);
}

Result<> CheckDataIn(const AtaCommandRequest& request, std::size_t outSize) {
  if (outSize < sizeof(AtaCommandResult)) return Failure{"output smaller than the 528-byte result"};
  if (request.BufferSize != kSectorSize) {
    return Failure{"buffer size must be 512 for a data command"};
  }
  // The transfer length travels in the sector count: anything but one sector
  // would not fit the 512-byte buffer.
  if (request.SectorCount != 1) return Failure{"sector count must be 1 for a one-sector read"};
  if (!IsAllowedDataCommand(request)) return Failure{"command not allowed as a data read"};
  return CheckRegisters(request);
}

// CHECK POWER MODE takes no input in its registers: with all of them 0
// the request can carry nothing else to the drive.
Result<> CheckPowerCheck(const AtaCommandRequest& request, std::size_t outSize) {
  if (outSize < sizeof(PowerModeAnswer)) {
    return Failure{"output smaller than the 16-byte power mode answer"};
  }
  if (request.BufferSize != 0) return Failure{"buffer size must be 0 for a command without data"};
  if (request.Command != kAtaCheckPowerMode) return Failure{"command not allowed as a power check"};
  if (request.Features != 0 || request.SectorCount != 0 || request.SectorNumber != 0 ||
      request.CylinderLow != 0 || request.CylinderHigh != 0) {
    return Failure{"registers of CHECK POWER MODE must be 0"};
  }
  return CheckDriveHead(request);
}

}  // namespace

Result<CheckedAtaRequest> CheckAtaRequest(std::uint32_t code, const void* in, std::size_t inSize,
                                          const void* out, std::size_t outSize) {
  if (code != SMART_SEND_DRIVE_COMMAND && code != SMART_RCV_DRIVE_DATA &&
      code != CHECK_POWER_MODE) {
    return Failure{"not an ATA command control code"};
  }
  if (in == nullptr || inSize != sizeof(AtaCommandRequest)) {
    return Failure{"input must be one 32-byte request"};
  }
  if (out == nullptr) return Failure{"no output buffer"};
  CheckedAtaRequest checked;
  std::memcpy(&checked.Request, in, sizeof checked.Request);
  checked.PowerCheck = code == CHECK_POWER_MODE;
  const bool nonData = code != SMART_RCV_DRIVE_DATA;
  checked.Protocol = nonData ? AtaProtocol::NonData : AtaProtocol::PioDataIn;
  Result<> fits = checked.PowerCheck ? CheckPowerCheck(checked.Request, outSize)
                  : nonData          ? CheckNonData(checked.Request, outSize)
                                     : CheckDataIn(checked.Request, outSize);
  if (!fits.Ok()) return Failure{std::move(fits.Message)};
  return checked;
}

}  // namespace halvoric
