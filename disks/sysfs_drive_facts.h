// SPDX-License-Identifier: GPL-3.0-or-later
// What the kernel tells every user about a disk: its identity strings in
// sysfs and its temperature from the drive's hwmon device (drivetemp for
// SATA disks, the NVMe driver's own for NVMe controllers).
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "drive/stand_in_figures.h"
#include "drive/temperature_limits.h"

namespace halvoric {

// The strings as sysfs has them, without the line end; serial and firmware
// are empty when the kernel does not show them.
struct DriveFacts : DriveStrings {
  std::optional<int> MilliCelsius;
  // The drive's own IDENTIFY sector, when the kernel keeps a copy (the ATA
  // Information VPD page of a SATA disk).
  std::optional<std::array<std::uint8_t, 512>> Identify;
};

// Reads `sysfsRoot`/block/`disk`/device: vpd_pg89; model; serial, or the unit serial
// number page vpd_pg80; firmware_rev (NVMe) or rev (SCSI, SATA); and
// temp1_input of the first hwmon device found under the device: in its
// hwmon/ folder (drivetemp), beside it (an NVMe controller), or under an NVMe
// subsystem's controllers.
DriveFacts ReadDriveFacts(const std::filesystem::path& sysfsRoot, const std::string& disk);

// The limits of the same hwmon device: temp1_max as the warning and
// temp1_crit as the critical temperature, temp1_lowest and temp1_highest as
// the extremes seen (drivetemp reads these from the drive's SCT data; the
// NVMe driver has the controller's thresholds in max and crit). A file that
// is missing or holds no number gives no figure.
TemperatureLimits ReadHwmonLimits(const std::filesystem::path& sysfsRoot, const std::string& disk);

// True when the kernel has runtime-suspended the disk: power/runtime_status
// reads "suspended" for the device that carries it. That is the SCSI device
// (block/NAME/device) of a SCSI or SATA disk, whose runtime suspend sd
// spins down, or, for an NVMe namespace, the PCI function behind its
// controller (block/NAME/device/device, or that of each controller under
// an NVMe subsystem). Only sysfs is read: the disk is not opened.
bool IsRuntimeSuspended(const std::filesystem::path& sysfsRoot, const std::string& disk);

// Degrees Celsius, rounded to the nearest degree.
int RoundToCelsius(int milliCelsius);

}  // namespace halvoric
