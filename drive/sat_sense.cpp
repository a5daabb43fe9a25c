// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/sat_sense.h"

#include <algorithm>
#include <cstddef>

namespace halvoric {
namespace {

constexpr std::uint8_t kResponseCodeMask = 0x7F;
constexpr std::uint8_t kSenseKeyMask = 0x0F;

// Fixed format: byte 2 sense key, bytes 3..6 information (error, status,
// device, count when libata fills them).
constexpr std::size_t kFixedKey = 2;
constexpr std::size_t kFixedError = 3;
constexpr std::size_t kFixedStatus = 4;
constexpr std::size_t kFixedCount = 6;
constexpr std::size_t kFixedInformationEnd = 7;
constexpr std::size_t kFixedLbaLow = 9;
constexpr std::size_t kFixedCommandSpecificEnd = 12;

// Descriptor format: byte 1 sense key, byte 7 additional length, the
// descriptors from byte 8 on, each "type, additional length, body".
constexpr std::size_t kDescriptorKey = 1;
constexpr std::size_t kDescriptorAdditionalLength = 7;
constexpr std::size_t kDescriptorListStart = 8;

constexpr std::uint8_t kAtaStatusReturn = 0x09;
constexpr std::size_t kAtaStatusReturnLength = 14;
constexpr std::size_t kAtaStatusReturnError = 3;
constexpr std::size_t kAtaStatusReturnCount = 5;
constexpr std::size_t kAtaStatusReturnLbaLow = 7;
constexpr std::size_t kAtaStatusReturnStatus = 13;

SenseSummary ParseFixed(std::span<const std::uint8_t> sense) {
  SenseSummary summary;
  if (sense.size() <= kFixedKey) return summary;
  summary.Key = sense[kFixedKey] & kSenseKeyMask;
  if (sense.size() >= kFixedInformationEnd) {
    AtaReturnedRegisters registers{sense[kFixedError], sense[kFixedStatus], sense[kFixedCount]};
    // Sense data cut short of the command-specific bytes carries no LBA.
    if (sense.size() >= kFixedCommandSpecificEnd) {
      registers.LbaLow = sense[kFixedLbaLow];
      registers.LbaMid = sense[kFixedLbaLow + 1];
      registers.LbaHigh = sense[kFixedLbaLow + 2];
    }
    summary.Registers = registers;
  }
  return summary;
}

SenseSummary ParseDescriptors(std::span<const std::uint8_t> sense) {
  SenseSummary summary;
  if (sense.size() <= kDescriptorKey) return summary;
  summary.Key = sense[kDescriptorKey] & kSenseKeyMask;
  if (sense.size() < kDescriptorListStart) return summary;
  const std::size_t end = std::min<std::size_t>(
      sense.size(), kDescriptorListStart + sense[kDescriptorAdditionalLength]);
  std::size_t at = kDescriptorListStart;
  while (at + 2 <= end) {
    const std::size_t length = 2 + std::size_t{sense[at + 1]};
    if (length > end - at) break;
    if (sense[at] == kAtaStatusReturn && length >= kAtaStatusReturnLength) {
      // The LBA bytes alternate with those of the 48-bit upper half.
      summary.Registers = AtaReturnedRegisters{
          sense[at + kAtaStatusReturnError],      sense[at + kAtaStatusReturnStatus],
          sense[at + kAtaStatusReturnCount],      sense[at + kAtaStatusReturnLbaLow],
          sense[at + kAtaStatusReturnLbaLow + 2], sense[at + kAtaStatusReturnLbaLow + 4]};
      break;
    }
    at += length;
  }
  return summary;
}

}  // namespace

SenseSummary ParseSense(std::span<const std::uint8_t> sense) {
  if (sense.empty()) return {};
  switch (sense[0] & kResponseCodeMask) {
    case 0x70:
    case 0x71:
      return ParseFixed(sense);
    case 0x72:
    case 0x73:
      return ParseDescriptors(sense);
    default:
      return {};
  }
}

}  // namespace halvoric
