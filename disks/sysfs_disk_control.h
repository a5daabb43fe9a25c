// SPDX-License-Identifier: GPL-3.0-or-later
// The disk control interface for a user without the right to send ATA
// commands: every disk the kernel lists can be opened, and the series is
// answered from sysfs and hwmon (see docs/access-levels.md). IDENTIFY gets
// the kernel's copy of the drive's sector when it has one, else a sector
// carrying only the model, serial and firmware strings; SMART READ
// DATA and THRESHOLDS get a one-entry table with the hwmon temperature as
// attribute 194. SMART ENABLE OPERATIONS, IDENTIFY PACKET DEVICE and CHECK
// POWER MODE (sysfs cannot tell a spun-down disk) fail, and so do both table
// reads of a disk without a readable temperature.
#pragma once

#include <filesystem>
#include <map>

#include "base/diagnostics.h"
#include "disks/sysfs_drive_facts.h"
#include "drive/ata_blocks.h"
#include "drive/disk_control.h"
#include "drive/drive_commands.h"

namespace halvoric {

class SysfsDiskControl final : public DiskControl {
 public:
  explicit SysfsDiskControl(std::filesystem::path sysfsRoot);

  OpenResult Open(const std::string& path) override;
  bool Control(DeviceHandle handle, std::uint32_t code, const void* in, std::size_t inSize,
               void* out, std::size_t outSize) override;
  void Close(DeviceHandle handle) override;
  TemperatureLimits KernelLimits(unsigned driveNumber) const override;
  std::string KernelModel(unsigned driveNumber) const override;
  unsigned DriveCount() const override;
  bool RuntimeSuspended(unsigned driveNumber) const override;

 private:
  struct OpenDrive {
    unsigned Number = 0;
    DriveFacts Facts;
  };

  bool Answer(const OpenDrive& drive, DriveCommand command, AtaCommandResult& result);

  std::filesystem::path sysfsRoot_;
  std::map<DeviceHandle, OpenDrive> drives_;
  DeviceHandle nextHandle_ = 1;
  ChangeDiagnostics diagnostics_{DiagnosticArea::Sysfs};
};

}  // namespace halvoric
