// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding of IDENTIFY DEVICE / IDENTIFY PACKET DEVICE answers into the model
// text and the rows of the Disk Info page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "drive/ata_blocks.h"
#include "drive/channel.h"
#include "drive/row_sinks.h"

namespace halvoric {

// Exchanges bytes i and i + 1 for every even i below `length`, in place.
void SwapBytePairs(std::uint8_t* bytes, std::size_t length);

// Swaps the field's byte pairs in place (ATA strings store the first character
// of each pair in the high byte), then returns the bytes up to the first NUL,
// each byte that is not printable ASCII replaced by '?'. Every drive string
// enters the program here. The drive's padding blanks stay.
std::string DecodeAtaString(std::uint8_t* field, std::size_t length);

// The model text of an identify block; swaps the model field in place.
std::string DecodeModel(AtaCommandResult& identifyBlock);

// Appends the row unless the caption is empty or only blanks and control bytes.
void AddDiskInfoRow(DiskInfoSink& sink, const std::string& caption, const std::string& value);

// The six register rows of the request that carried the IDENTIFY.
void ShowIdeRegisters(DiskInfoSink& sink, const AtaCommandRequest& request);

// Appends the identify rows for a drive identified with `command`. Decodes
// the string fields of `identifyBlock` in place, so call it once per answer.
void ShowIdentifyData(DiskInfoSink& sink, AtaCommandResult& identifyBlock,
                      const AtaCommandRequest& request, std::uint8_t command, bool smartSupported,
                      DriveNumber n);

}  // namespace halvoric
