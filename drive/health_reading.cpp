#include "drive/health_reading.h"

#include "drive/identify.h"

namespace halvoric {

namespace {

// The series on an open drive; closes it.
std::optional<HealthReading> HealthSeries(DriveReader& reader, DeviceHandle handle, DriveNumber n) {
  DiskControl& disks = reader.Disks();
  ResultBlocks& blocks = reader.Blocks();
  AtaCommandRequest request{};
  AtaResultHeader enableAnswer{};
  const std::uint8_t command = QueryIdentifyCommand(disks, handle, n);
  SendSmartEnable(disks, handle, request, enableAnswer, n);
  HealthReading reading;
  if (SendIdentify(disks, handle, request, blocks.IdentifyBlock, command, n)) {
    reader.ClearTables();
    // Without its thresholds every attribute would read OK, and the next
    // whole reading would report a BAD one as a new change.
    if (ReadSmartAttributes(disks, handle, request, blocks.AttributeBlock, n) &&
        ReadSmartThresholds(disks, handle, request, blocks.ThresholdBlock, n)) {
      reading.Model = DecodeModel(blocks.IdentifyBlock);
      reading.Serial =
          DecodeAtaString(blocks.IdentifyBlock.Data + kIdentifySerial, kIdentifySerialLength);
      reading.Source = SourceOf(disks, handle);
      reading.Attributes =
          ReadAttributes(blocks.AttributeBlock.Data, blocks.ThresholdBlock.Data, reading.Source);
    }
  }
  disks.Close(handle);
  if (reading.Attributes.empty()) return std::nullopt;
  return reading;
}

}  // namespace

std::optional<HealthReading> ReadHealth(DriveReader& reader, DriveNumber n) {
  const OpenResult opened = reader.Disks().Open(DevicePath(n));
  if (!opened.Ok()) return std::nullopt;
  return HealthSeries(reader, *opened, n);
}

std::optional<HealthReading> ReadHealthIfAwake(DriveReader& reader, DriveNumber n) {
  const std::optional<DeviceHandle> handle = reader.OpenIfAwake(n);
  if (!handle) return std::nullopt;
  return HealthSeries(reader, *handle, n);
}

}  // namespace halvoric
