// SPDX-License-Identifier: GPL-3.0-or-later
// Building the SCSI ATA PASS-THROUGH (16) command block that carries one ATA
// request of the disk control interface to a drive behind libata.
#pragma once

#include <array>
#include <cstdint>

#include "drive/ata_blocks.h"

namespace halvoric {

inline constexpr std::uint8_t kAtaPassThrough16 = 0x85;
inline constexpr std::size_t kAtaPassThrough16Length = 16;

// The PROTOCOL field values this program uses.
enum class AtaProtocol : std::uint8_t { NonData = 3, PioDataIn = 4 };

using AtaPassThroughCdb = std::array<std::uint8_t, kAtaPassThrough16Length>;

// Byte by byte (every "upper" byte stays 0):
//   0  operation code 0x85
//   1  PROTOCOL in bits 4..1, EXTEND (bit 0) set only for a 48-bit command
//   2  non-data: CK_COND (0x20), so the registers come back in the sense
//      data; PIO data-in: T_DIR (0x08, to host), BYT_BLOK (0x04, count is in
//      blocks) and T_LENGTH = 2 (length in the sector count field), without
//      CK_COND: QEMU's AHCI reports the PIO Setup status (DRQ still set) as
//      the final one, and libata then turns a good read into ABORTED COMMAND
//   3  features (15:8) = 0     4  features
//   5  count (15:8) = 0        6  sector count
//   7  LBA (31:24) = 0         8  sector number (LBA low)
//   9  LBA (39:32) = 0        10  cylinder low (LBA mid)
//  11  LBA (47:40) = 0        12  cylinder high (LBA high)
//  13  drive/head (device)    14  command
//  15  control = 0
AtaPassThroughCdb BuildAtaPassThrough16(const AtaCommandRequest& request, AtaProtocol protocol,
                                        bool lba48 = false);

}  // namespace halvoric
