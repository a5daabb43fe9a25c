// SPDX-License-Identifier: GPL-3.0-or-later
// How an attribute's raw bytes are read: the field's raw formats and byte
// orders, as smartctl's -v option names them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "drive/ata_blocks.h"

namespace halvoric {

enum class RawFormat {
  Raw8,
  Raw16,
  Raw48,
  Hex48,
  Raw56,
  Hex56,
  Raw64,
  Hex64,
  Raw16Raw16,
  Raw16Avg16,
  Raw24Raw8,
  Raw24Raw24,
  Raw24Raw32,
  Min2Hour,
  Sec2Hour,
  HalfMin2Hour,
  Msec24Hour32,
  TempMinMax,
  Temp10x,
};

// A format and the order its bytes are taken in, most significant first:
// '0'..'5' the raw bytes, 'r' the reserved byte, 'v' the value, 'w' the
// worst, 'z' a zero. Empty takes the format's own order.
struct RawLayout {
  RawFormat Format = RawFormat::Raw48;
  std::string ByteOrder;
  bool operator==(const RawLayout&) const = default;
};

std::optional<RawFormat> ParseRawFormat(std::string_view name);
// 1 to 8 characters of "012345rvwz".
bool ValidByteOrder(std::string_view order);

// The raw value as smartctl's raw.string writes it: "41 (Min/Max 18/47)",
// "8731h+05m", "0x2f2423142f24".
std::string RawString(const RawLayout& layout, const AttributeEntry& entry);

// Degrees Celsius by a temperature format (tempminmax, temp10x); none for
// another format or a figure no drive reads.
std::optional<int> RawCelsius(const RawLayout& layout, const AttributeEntry& entry);

}  // namespace halvoric
