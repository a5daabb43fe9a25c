// SPDX-License-Identifier: GPL-3.0-or-later
// What a simulated ATA drive's IDENTIFY data says of the device itself:
// size, sectors, link speed, form and the standards it claims (its rotation
// is the scenario's `rotation`).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "base/result.h"
#include "drive/ata_blocks.h"

namespace halvoric::sim {

struct SimHardware {
  std::uint64_t Blocks = 0;            // 512-byte logical sectors
  std::uint32_t PhysicalSector = 512;  // 512 or a power-of-two multiple, up to 32768
  unsigned LinkMax = 0;                // SATA generation 1 to 3; 0 for none
  unsigned LinkCurrent = 0;
  unsigned FormFactor = 0;  // IDENTIFY word 168's code
};

// `hardware = blocks=N [physical=BYTES] [link=GBPS[/GBPS]] [form=F]`.
Result<> ParseHardware(const std::string& value, SimHardware& hardware);

// Writes the words of IDENTIFY DEVICE that say it, with ACS-3 and SATA 3.2
// as the standards claimed.
void PutHardware(const SimHardware& hardware, std::array<std::uint8_t, kSectorSize>& sector);

}  // namespace halvoric::sim
