// Checking an ATA request of the disk control interface before it reaches
// the kernel: only the commands of the drive series and the power check,
// with the sizes that belong to their control code, ever become a
// pass-through command.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/result.h"
#include "drive/ata_blocks.h"
#include "drive/sat_command.h"

namespace halvoric {

// A request that may go out, and the protocol it runs as.
struct CheckedAtaRequest {
  AtaCommandRequest Request{};
  AtaProtocol Protocol = AtaProtocol::NonData;
  bool PowerCheck = false;  // CHECK POWER MODE: the answer is a PowerModeAnswer
};

// SMART_SEND_DRIVE_COMMAND: 32 bytes in, at least the 16-byte result header
// out, buffer size 0, SMART ENABLE OPERATIONS only; runs as non-data.
// SMART_RCV_DRIVE_DATA: 32 bytes in, at least 528 bytes out, buffer size 512,
// sector count 1, IDENTIFY (PACKET) DEVICE or SMART READ DATA / THRESHOLDS;
// runs as PIO data-in of one sector. Every other register must hold what
// the series puts there: sector count and number 1, cylinders 0x4F/0xC2 for
// SMART and 0/0 for IDENTIFY, drive/head 0xA0 or 0xB0.
// CHECK_POWER_MODE: 32 bytes in, at least the 16-byte power mode answer out,
// buffer size 0, CHECK POWER MODE with every register 0 but drive/head (0xA0
// or 0xB0); runs as non-data. A refused request fails with what was wrong.
Result<CheckedAtaRequest> CheckAtaRequest(std::uint32_t code, const void* in, std::size_t inSize,
                                          const void* out, std::size_t outSize);

}  // namespace halvoric
