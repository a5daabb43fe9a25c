// SPDX-License-Identifier: GPL-3.0-or-later
// A drive's power mode as CHECK POWER MODE reports it. Asking is the one
// request that never spins a disk up, so a caller can leave a disk in
// standby alone instead of waking it with the series.
#pragma once

#include <cstdint>

#include "drive/ata_blocks.h"

namespace halvoric {

enum class PowerMode {
  Active,   // spinning, or idle: reading it costs nothing extra
  Standby,  // spun down: any other command spins it up
  Sleep,    // asleep: only a reset wakes it, into standby
  Unknown,  // could not tell (drive, bridge or access level): read it as ever
};

// The sector count CHECK POWER MODE returns: 00h and 01h (Standby_z,
// Standby_y) are Standby; 80h..83h (idle), FFh (active or idle) and the NV
// cache codes 40h and 41h are Active; every other value is Unknown.
PowerMode PowerModeFromCount(std::uint8_t count);

// Sleep when the backend says the drive is asleep, else from the count.
PowerMode DecodePowerMode(const RegisterAnswer& answer);

// "active", "standby", "sleep" or "unknown".
const char* PowerModeName(PowerMode mode);
// The number the metrics file gives: 0 active, 1 standby, 2 sleep, 3 unknown.
int PowerModeMetricCode(PowerMode mode);
// The number the temperature history stores: 1 active, 2 standby, 3 sleep,
// 0 unknown; any other stored number reads as unknown.
int PowerModeStoredCode(PowerMode mode);
PowerMode PowerModeFromStoredCode(int code);

}  // namespace halvoric
