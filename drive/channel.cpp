// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/channel.h"

namespace halvoric {
namespace {

// Writes every register of the request from the command's row.
void FillRequest(AtaCommandRequest& request, const DriveCommandRow& row, DriveNumber n) {
  request = AtaCommandRequest{};
  request.BufferSize = row.BufferSize;
  request.Features = row.Features;
  request.SectorCount = row.SectorCount;
  request.SectorNumber = row.SectorNumber;
  request.CylinderLow = row.CylinderLow;
  request.CylinderHigh = row.CylinderHigh;
  request.DriveHead = DriveHeadRegister(n);
  request.Command = row.Ata;
  request.DriveNumber = n;
}

template <typename Answer>
bool Send(DiskControl& disks, DeviceHandle handle, AtaCommandRequest& request, DriveCommand command,
          Answer& answer, DriveNumber n) {
  return SendDriveCommand(disks, handle, request, command, &answer, sizeof answer, n);
}

}  // namespace

bool SendDriveCommand(DiskControl& disks, DeviceHandle handle, AtaCommandRequest& request,
                      DriveCommand command, void* answer, std::size_t answerSize, DriveNumber n) {
  const DriveCommandRow& row = RowOf(command);
  FillRequest(request, row, n);
  return disks.Control(handle, row.Code, &request, sizeof request, answer, answerSize);
}

std::uint8_t DriveHeadRegister(DriveNumber n) {
  return static_cast<std::uint8_t>(0xA0 | ((n & 1) << 4));
}

bool DriveExists(DiskControl& disks, DriveNumber n) {
  // The kernel's word is enough: opening it would resume it.
  if (disks.RuntimeSuspended(n)) return true;
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
  enableAnswer = AtaResultHeader{};
  return Send(disks, handle, request, DriveCommand::SmartEnable, enableAnswer, n);
}

bool SendIdentify(DiskControl& disks, DeviceHandle handle, AtaCommandRequest& request,
                  AtaCommandResult& identifyBlock, std::uint8_t command, DriveNumber n) {
  const DriveCommand identify = command == kAtaIdentifyPacketDevice
                                    ? DriveCommand::IdentifyPacketDevice
                                    : DriveCommand::IdentifyDevice;
  return Send(disks, handle, request, identify, identifyBlock, n);
}

bool ReadSmartAttributes(DiskControl& disks, DeviceHandle handle, AtaCommandRequest& request,
                         AtaCommandResult& attributeBlock, DriveNumber n) {
  return Send(disks, handle, request, DriveCommand::SmartReadData, attributeBlock, n);
}

bool ReadSmartThresholds(DiskControl& disks, DeviceHandle handle, AtaCommandRequest& request,
                         AtaCommandResult& thresholdBlock, DriveNumber n) {
  return Send(disks, handle, request, DriveCommand::SmartReadThresholds, thresholdBlock, n);
}

bool SendCheckPowerMode(DiskControl& disks, DeviceHandle handle, AtaCommandRequest& request,
                        RegisterAnswer& answer, DriveNumber n) {
  answer = RegisterAnswer{};
  return Send(disks, handle, request, DriveCommand::CheckPowerMode, answer, n);
}

}  // namespace halvoric
