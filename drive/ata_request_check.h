// SPDX-License-Identifier: GPL-3.0-or-later
// Checking an ATA request of the disk control interface before it reaches
// the kernel: only the rows of the command table that the helper permits,
// with their registers and the sizes of their control code, ever become a
// pass-through command.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/result.h"
#include "drive/ata_blocks.h"
#include "drive/drive_commands.h"
#include "drive/sat_command.h"

namespace halvoric {

// A request that may go out, and the protocol it runs as.
struct CheckedAtaRequest {
  AtaCommandRequest Request{};
  DriveCommand Command = DriveCommand::SmartEnable;
  AtaProtocol Protocol = AtaProtocol::NonData;
};

// 32 bytes in; at least the code's answer out (16 bytes, 528 with a
// sector); the buffer size of the code (0, or 512 for a one-sector read);
// command and features of a permitted row of that code, and every other
// register as the row has it, drive/head 0xA0 or 0xB0. A refused request
// fails with what was wrong.
Result<CheckedAtaRequest> CheckAtaRequest(std::uint32_t code, const void* in, std::size_t inSize,
                                          const void* out, std::size_t outSize);

}  // namespace halvoric
