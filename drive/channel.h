// SPDX-License-Identifier: GPL-3.0-or-later
// The drive command channel: the presence probe, the five requests of a
// series and the power check. Each request fills the caller's request block
// completely and reports only whether the disk control interface accepted it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "drive/ata_blocks.h"
#include "drive/disk_control.h"
#include "drive/drive_commands.h"

namespace halvoric {

// Index N of the physical drive "\\.\PhysicalDriveN".
using DriveNumber = std::uint8_t;

// 0xA0 for even N, 0xB0 for odd N.
std::uint8_t DriveHeadRegister(DriveNumber n);

// Opens and closes drive N; a drive the kernel has runtime-suspended is
// there without being opened.
bool DriveExists(DiskControl& disks, DriveNumber n);

// Fills `request` from the command's row (drive/drive_commands.h) and sends
// it with the row's control code, the answer into `answer`. Every request
// below is one of these.
bool SendDriveCommand(DiskControl& disks, DeviceHandle handle, AtaCommandRequest& request,
                      DriveCommand command, void* answer, std::size_t answerSize, DriveNumber n);

// IDENTIFY PACKET DEVICE when the device map marks position N as a packet
// device, IDENTIFY DEVICE otherwise (also when the query fails).
std::uint8_t QueryIdentifyCommand(DiskControl& disks, DeviceHandle handle, DriveNumber n);

bool SendSmartEnable(DiskControl& disks, DeviceHandle handle, AtaCommandRequest& request,
                     AtaResultHeader& enableAnswer, DriveNumber n);
bool SendIdentify(DiskControl& disks, DeviceHandle handle, AtaCommandRequest& request,
                  AtaCommandResult& identifyBlock, std::uint8_t command, DriveNumber n);
bool ReadSmartAttributes(DiskControl& disks, DeviceHandle handle, AtaCommandRequest& request,
                         AtaCommandResult& attributeBlock, DriveNumber n);
bool ReadSmartThresholds(DiskControl& disks, DeviceHandle handle, AtaCommandRequest& request,
                         AtaCommandResult& thresholdBlock, DriveNumber n);

// CHECK POWER MODE, without data: every register 0 but drive/head and the
// command. `answer` is cleared first, so a refused request leaves no stale
// count behind.
bool SendCheckPowerMode(DiskControl& disks, DeviceHandle handle, AtaCommandRequest& request,
                        RegisterAnswer& answer, DriveNumber n);

}  // namespace halvoric
