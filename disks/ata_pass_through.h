// SPDX-License-Identifier: GPL-3.0-or-later
// Carrying out the disk control interface's requests on an open Linux disk:
// the version answer, and one checked ATA request as SG_IO ATA PASS-THROUGH.
// Shared by the direct path and the privileged helper.
#pragma once

#include <cstddef>

#include "disks/sg_io.h"
#include "drive/ata_request_check.h"

namespace halvoric {

// SMART_SEND_DRIVE_COMMAND / SMART_RCV_DRIVE_DATA's DriverError when the
// drive reported an error.
inline constexpr std::uint8_t kSmartIdeError = 1;

// Writes the 24-byte version answer for drive `driveNumber`; false when the
// sizes do not fit the query.
bool AnswerVersion(unsigned driveNumber, std::size_t inSize, void* out, std::size_t outSize);

// Sends a request that CheckAtaRequest accepted and writes the result header
// (and the sector, for a data command), or for the power check the power
// mode answer with the returned count, to `out`, which holds at least as
// many bytes as the check demanded. A power check succeeds only when the
// registers came back.
bool RunAtaPassThrough(SgIo& sgIo, int fd, const CheckedAtaRequest& checked, void* out);

}  // namespace halvoric
