// SPDX-License-Identifier: GPL-3.0-or-later
// What an IDENTIFY sector says of the device itself rather than of its
// health: size, sector sizes, rotation, link speed, the standards it follows
// and its form, in the words smartctl prints them, so that reports for
// others can label a drive as the field's tools do.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "drive/ata_blocks.h"

namespace halvoric {

struct DeviceFacts {
  std::optional<std::uint64_t> CapacityBlocks;     // logical blocks the user can address
  std::optional<std::uint32_t> LogicalBlockSize;   // bytes
  std::optional<std::uint32_t> PhysicalBlockSize;  // bytes
  std::optional<std::uint32_t> RotationRate;       // rpm; none for a drive that does not spin
  std::optional<std::uint64_t> SpeedMax;           // bits per second
  std::optional<std::uint64_t> SpeedCurrent;       // bits per second
  std::string AtaVersion;                          // "ACS-3"; empty where the drive names none
  std::string SataVersion;                         // "SATA 3.3"
  std::string FormFactor;                          // "3.5 inches"
  std::string AdditionalProduct;                   // words 170..173, where the drive has them
  // Identify Controller's TNVMCAP of an NVMe drive, where it names one.
  std::optional<std::uint64_t> NvmeCapacityBytes;

  std::optional<std::uint64_t> CapacityBytes() const;
};

// The facts of an ATA drive's IDENTIFY DEVICE sector as it came (strings
// still in the drive's byte order); an NVMe drive's built sector gives only
// its capacity.
DeviceFacts DecodeDeviceFacts(const std::uint8_t (&sector)[kSectorSize], bool nvme);

}  // namespace halvoric
