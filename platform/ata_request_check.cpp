#include "platform/ata_request_check.h"

#include <cstring>

namespace halvoric {
namespace {

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

std::string_view CheckNonData(const AtaCommandRequest& request, std::size_t outSize) {
  if (outSize < sizeof(AtaResultHeader)) return "output smaller than the 16-byte result header";
  if (request.BufferSize != 0) return "buffer size must be 0 for a command without data";
  if (!IsAllowedNonDataCommand(request)) return "command not allowed without data";
  return {};
}

std::string_view CheckDataIn(const AtaCommandRequest& request, std::size_t outSize) {
  if (outSize < sizeof(AtaCommandResult)) return "output smaller than the 528-byte result";
  if (request.BufferSize != kSectorSize) return "buffer size must be 512 for a data command";
  // The transfer length travels in the sector count: anything but one sector
  // would not fit the 512-byte buffer.
  if (request.SectorCount != 1) return "sector count must be 1 for a one-sector read";
  if (!IsAllowedDataCommand(request)) return "command not allowed as a data read";
  return {};
}

}  // namespace

CheckedAtaRequest CheckAtaRequest(std::uint32_t code, const void* in, std::size_t inSize,
                                  const void* out, std::size_t outSize) {
  CheckedAtaRequest checked;
  if (code != SMART_SEND_DRIVE_COMMAND && code != SMART_RCV_DRIVE_DATA) {
    checked.Problem = "not an ATA command control code";
    return checked;
  }
  if (in == nullptr || inSize != sizeof(AtaCommandRequest)) {
    checked.Problem = "input must be one 32-byte request";
    return checked;
  }
  if (out == nullptr) {
    checked.Problem = "no output buffer";
    return checked;
  }
  std::memcpy(&checked.Request, in, sizeof checked.Request);
  if (code == SMART_SEND_DRIVE_COMMAND) {
    checked.Protocol = AtaProtocol::NonData;
    checked.Problem = CheckNonData(checked.Request, outSize);
  } else {
    checked.Protocol = AtaProtocol::PioDataIn;
    checked.Problem = CheckDataIn(checked.Request, outSize);
  }
  return checked;
}

}  // namespace halvoric
