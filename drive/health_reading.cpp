#include "drive/health_reading.h"

#include <cstring>

#include "drive/identify.h"

namespace halvoric {

std::optional<HealthReading> ReadHealth(DriveReader& reader, DriveNumber n) {
  DiskControl& disks = reader.Disks();
  ResultBlocks& blocks = reader.Blocks();
  const OpenResult opened = disks.Open(DevicePath(n));
  if (!opened.Ok()) return std::nullopt;
  const DeviceHandle handle = *opened;

  AtaCommandRequest request{};
  AtaResultHeader enableAnswer{};
  const std::uint8_t command = QueryIdentifyCommand(disks, handle, n);
  SendSmartEnable(disks, handle, request, enableAnswer, n);
  HealthReading reading;
  if (SendIdentify(disks, handle, request, blocks.IdentifyBlock, command, n)) {
    std::memset(&blocks.AttributeBlock, 0, sizeof blocks.AttributeBlock);
    std::memset(&blocks.ThresholdBlock, 0, sizeof blocks.ThresholdBlock);
    if (ReadSmartAttributes(disks, handle, request, blocks.AttributeBlock, n)) {
      ReadSmartThresholds(disks, handle, request, blocks.ThresholdBlock, n);
      reading.Model = DecodeModel(blocks.IdentifyBlock);
      reading.Serial =
          DecodeAtaString(blocks.IdentifyBlock.Data + kIdentifySerial, kIdentifySerialLength);
      reading.Attributes = ReadAttributes(blocks.AttributeBlock.Data, blocks.ThresholdBlock.Data);
    }
  }
  disks.Close(handle);
  if (reading.Attributes.empty()) return std::nullopt;
  return reading;
}

}  // namespace halvoric
