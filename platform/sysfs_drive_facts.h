// What the kernel tells every user about a disk: its identity strings in
// sysfs and its temperature from the drive's hwmon device (drivetemp for
// SATA disks, the NVMe driver's own for NVMe controllers).
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace halvoric {

struct DriveFacts {
  std::string Model;     // as sysfs has it, without the line end
  std::string Serial;    // empty when the kernel does not show it
  std::string Firmware;  // empty when the kernel does not show it
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

// Degrees Celsius, rounded to the nearest degree.
int RoundToCelsius(int milliCelsius);

}  // namespace halvoric
