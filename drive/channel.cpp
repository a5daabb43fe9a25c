#include "drive/channel.h"

namespace halvoric {
namespace {

void FillRequest(AtaCommandRequest& request, std::uint8_t command, std::uint8_t features,
                 std::uint32_t bufferSize, DriveNumber n) {
  const bool smart = command == kAtaSmart;
  request.BufferSize = bufferSize;
  request.Features = features;
  request.SectorCount = 1;
  request.SectorNumber = 1;
  request.CylinderLow = smart ? kSmartCylinderLow : 0;
  request.CylinderHigh = smart ? kSmartCylinderHigh : 0;
  request.DriveHead = DriveHeadRegister(n);
  request.Command = command;
  request.DriveNumber = n;
}

bool ReceiveData(DiskControl& disks, DeviceHandle handle, AtaCommandRequest& request,
                 AtaCommandResult& result, std::uint8_t command, std::uint8_t features,
                 DriveNumber n) {
  FillRequest(request, command, features, kSectorSize, n);
  return disks.Control(handle, SMART_RCV_DRIVE_DATA, &request, sizeof request, &result,
                       sizeof result);
}

}  // namespace

std::uint8_t DriveHeadRegister(DriveNumber n) {
  return static_cast<std::uint8_t>(0xA0 | ((n & 1) << 4));
}

bool DriveExists(DiskControl& disks, DriveNumber n) {
  const OpenResult opened = disks.Open(DevicePath(n));
  if (!opened.Ok()) return false;
  disks.Close(*opened);
  return true;
}

std::uint8_t QueryIdentifyCommand(DiskControl& disks, DeviceHandle handle, DriveNumber n) {
  VersionAnswer answer{};
  disks.Control(handle, SMART_GET_VERSION, nullptr, 0, &answer, sizeof answer);
  // Bit 4 + N of the 8-bit map; drives from 4 on lie beyond it.
  const bool packet = n < 4 && ((answer.IdeDeviceMap >> n) & 0x10) != 0;
  return packet ? kAtaIdentifyPacketDevice : kAtaIdentifyDevice;
}

bool SendSmartEnable(DiskControl& disks, DeviceHandle handle, AtaCommandRequest& request,
                     AtaResultHeader& enableAnswer, DriveNumber n) {
  FillRequest(request, kAtaSmart, kSmartEnableOperations, 0, n);
  enableAnswer = AtaResultHeader{};
  return disks.Control(handle, SMART_SEND_DRIVE_COMMAND, &request, sizeof request, &enableAnswer,
                       sizeof enableAnswer);
}

bool SendIdentify(DiskControl& disks, DeviceHandle handle, AtaCommandRequest& request,
                  AtaCommandResult& identifyBlock, std::uint8_t command, DriveNumber n) {
  return ReceiveData(disks, handle, request, identifyBlock, command, 0, n);
}

bool ReadSmartAttributes(DiskControl& disks, DeviceHandle handle, AtaCommandRequest& request,
                         AtaCommandResult& attributeBlock, DriveNumber n) {
  return ReceiveData(disks, handle, request, attributeBlock, kAtaSmart, kSmartReadData, n);
}

bool ReadSmartThresholds(DiskControl& disks, DeviceHandle handle, AtaCommandRequest& request,
                         AtaCommandResult& thresholdBlock, DriveNumber n) {
  return ReceiveData(disks, handle, request, thresholdBlock, kAtaSmart, kSmartReadThresholds, n);
}

bool SendCheckPowerMode(DiskControl& disks, DeviceHandle handle, AtaCommandRequest& request,
                        PowerModeAnswer& answer, DriveNumber n) {
  request = AtaCommandRequest{};
  request.DriveHead = DriveHeadRegister(n);
  request.Command = kAtaCheckPowerMode;
  request.DriveNumber = n;
  answer = PowerModeAnswer{};
  return disks.Control(handle, CHECK_POWER_MODE, &request, sizeof request, &answer, sizeof answer);
}

}  // namespace halvoric
