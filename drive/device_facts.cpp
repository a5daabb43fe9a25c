// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/device_facts.h"

#include <algorithm>
#include <iterator>
#include <limits>

#include "drive/nvme_figures.h"

namespace halvoric {
namespace {

// IDENTIFY DEVICE words, by word number (ACS-3, 7.12.7).
constexpr std::size_t kCapacity28 = 60;         // words 60..61
constexpr std::size_t kAdditionalSupport = 69;  // bit 13: words 170..173 hold a product ID
constexpr std::size_t kSataCapabilities = 76;   // bits 1..3: 1.5, 3.0 and 6.0 Gb/s
constexpr std::size_t kSataCurrentSpeed = 77;   // bits 1..3: the speed negotiated, coded
constexpr std::size_t kMajorVersion = 80;
constexpr std::size_t kMinorVersion = 81;
constexpr std::size_t kCommandSet2 = 83;  // bit 10: 48-bit addresses
constexpr std::size_t kCapacity48 = 100;  // words 100..103
constexpr std::size_t kSectorSizes = 106;
constexpr std::size_t kLogicalSectorWords = 117;  // words 117..118
constexpr std::size_t kFormFactor = 168;          // bits 0..3
constexpr std::size_t kAdditionalProduct = 170;   // words 170..173, ATA string
constexpr std::size_t kAdditionalProductLength = 8;
constexpr std::size_t kRotation = 217;
constexpr std::size_t kTransportVersion = 222;  // bits 12..15: 1 for serial

constexpr std::uint16_t kAdditionalProductBit = 1u << 13;
constexpr std::uint16_t kAddress48Bit = 1u << 10;
constexpr std::uint16_t kSectorSizesValid = 0x4000;  // bit 14 set, bit 15 clear
constexpr std::uint16_t kSectorSizesMask = 0xC000;
constexpr std::uint16_t kSeveralPerPhysical = 1u << 13;
constexpr std::uint16_t kLongLogicalSector = 1u << 12;
constexpr std::uint16_t kNotReported = 0xFFFF;
constexpr std::uint16_t kNonRotating = 1;
constexpr std::uint16_t kFirstRpm = 0x0401;
constexpr std::uint16_t kSerialTransport = 1;
constexpr std::uint32_t kDefaultSectorBytes = 512;
constexpr std::uint64_t kLargestSectorBytes = std::uint64_t{1} << 31;

// Gb/s steps of SATA's generations 1 to 3, the index being the coded value
// less one (word 77) or the capability bit less one (word 76).
constexpr std::uint64_t kSataSpeeds[] = {1'500'000'000, 3'000'000'000, 6'000'000'000};

// By bit of word 80, as smartctl names the standards.
constexpr const char* kMajorNames[] = {
    nullptr,       "ATA-1",    "ATA-2", "ATA-3", "ATA/ATAPI-4", "ATA/ATAPI-5", "ATA/ATAPI-6",
    "ATA/ATAPI-7", "ATA8-ACS", "ACS-2", "ACS-3", "ACS-4",       "ACS-5"};
// By bit of word 222 on a serial transport.
constexpr const char* kSataNames[] = {"ATA8-AST", "SATA 1.0a", "SATA II Ext", "SATA 2.5",
                                      "SATA 2.6", "SATA 3.0",  "SATA 3.1",    "SATA 3.2",
                                      "SATA 3.3", "SATA 3.4",  "SATA 3.5"};
// By word 168's code.
constexpr const char* kFormFactors[] = {nullptr,      "5.25 inches",  "3.5 inches", "2.5 inches",
                                        "1.8 inches", "< 1.8 inches", "mSATA",      "M.2",
                                        "MicroSSD",   "CFast"};

std::uint16_t Word(const std::uint8_t (&s)[kSectorSize], std::size_t word) {
  return static_cast<std::uint16_t>(s[2 * word] | s[2 * word + 1] << 8);
}

std::uint64_t Words(const std::uint8_t (&s)[kSectorSize], std::size_t first, std::size_t count) {
  std::uint64_t value = 0;
  for (std::size_t i = count; i-- > 0;) value = value << 16 | Word(s, first + i);
  return value;
}

bool Reported(std::uint16_t word) { return word != 0 && word != kNotReported; }

// The highest bit set that the table names.
const char* HighestNamed(std::uint16_t bits, const char* const* names, std::size_t count) {
  for (std::size_t bit = count; bit-- > 0;) {
    if ((bits >> bit & 1u) != 0 && names[bit]) return names[bit];
  }
  return nullptr;
}

void TakeCapacity(const std::uint8_t (&s)[kSectorSize], DeviceFacts& facts) {
  std::uint64_t blocks = 0;
  if ((Word(s, kCommandSet2) & kAddress48Bit) != 0 && Word(s, kCommandSet2) != kNotReported) {
    blocks = Words(s, kCapacity48, 4);
  }
  if (blocks == 0) blocks = Words(s, kCapacity28, 2);
  if (blocks != 0) facts.CapacityBlocks = blocks;

  const std::uint16_t sizes = Word(s, kSectorSizes);
  if ((sizes & kSectorSizesMask) != kSectorSizesValid) {
    if (blocks != 0) facts.LogicalBlockSize = facts.PhysicalBlockSize = kDefaultSectorBytes;
    return;
  }
  std::uint64_t logical = kDefaultSectorBytes;
  if ((sizes & kLongLogicalSector) != 0) {
    const std::uint64_t words = Words(s, kLogicalSectorWords, 2);
    if (words != 0) logical = 2 * words;
  }
  // Up to 2^15 logical sectors per physical one, as the field allows; a
  // size past 2 GiB is no sector size but a broken sector.
  const unsigned shift = (sizes & kSeveralPerPhysical) != 0 ? sizes & 0x0F : 0;
  const std::uint64_t physical = logical << shift;
  if (physical > kLargestSectorBytes) return;
  facts.LogicalBlockSize = static_cast<std::uint32_t>(logical);
  facts.PhysicalBlockSize = static_cast<std::uint32_t>(physical);
}

void TakeLink(const std::uint8_t (&s)[kSectorSize], DeviceFacts& facts) {
  const std::uint16_t capabilities = Word(s, kSataCapabilities);
  if (!Reported(capabilities)) return;
  for (std::size_t gen = std::size(kSataSpeeds); gen > 0; --gen) {
    if ((capabilities >> gen & 1u) != 0) {
      facts.SpeedMax = kSataSpeeds[gen - 1];
      break;
    }
  }
  const std::uint16_t current = Word(s, kSataCurrentSpeed);
  const unsigned coded = current == kNotReported ? 0 : (current >> 1) & 0x7;
  if (coded >= 1 && coded <= std::size(kSataSpeeds)) facts.SpeedCurrent = kSataSpeeds[coded - 1];
}

void TakeStandards(const std::uint8_t (&s)[kSectorSize], DeviceFacts& facts) {
  const std::uint16_t major = Word(s, kMajorVersion);
  if (Reported(major)) {
    if (const char* name = HighestNamed(major, kMajorNames, std::size(kMajorNames))) {
      facts.AtaVersion = name;
      // smartctl follows the name with the minor revision's; only its
      // absence is said here.
      if (!Reported(Word(s, kMinorVersion))) facts.AtaVersion += " (minor revision not indicated)";
    }
  }
  const std::uint16_t transport = Word(s, kTransportVersion);
  if (Reported(transport) && transport >> 12 == kSerialTransport) {
    if (const char* name = HighestNamed(transport & 0x0FFF, kSataNames, std::size(kSataNames))) {
      facts.SataVersion = name;
    }
  }
  const unsigned form = Word(s, kFormFactor) & 0x0F;
  if (form < std::size(kFormFactors) && kFormFactors[form]) facts.FormFactor = kFormFactors[form];
}

void TakeAdditionalProduct(const std::uint8_t (&s)[kSectorSize], DeviceFacts& facts) {
  const std::uint16_t support = Word(s, kAdditionalSupport);
  if (support == kNotReported || (support & kAdditionalProductBit) == 0) return;
  std::string text;
  for (std::size_t i = 0; i < kAdditionalProductLength; i += 2) {
    // ATA strings hold the first character of each pair in the high byte.
    for (const std::uint8_t c :
         {s[2 * kAdditionalProduct + i + 1], s[2 * kAdditionalProduct + i]}) {
      if (c == 0) break;
      text += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
    }
  }
  while (!text.empty() && text.back() == ' ') text.pop_back();
  facts.AdditionalProduct = std::move(text);
}

}  // namespace

std::optional<std::uint64_t> DeviceFacts::CapacityBytes() const {
  if (NvmeCapacityBytes) return NvmeCapacityBytes;
  if (!CapacityBlocks || !LogicalBlockSize) return std::nullopt;
  if (*CapacityBlocks > std::numeric_limits<std::uint64_t>::max() / *LogicalBlockSize) {
    return std::nullopt;
  }
  return *CapacityBlocks * *LogicalBlockSize;
}

DeviceFacts DecodeDeviceFacts(const std::uint8_t (&sector)[kSectorSize], bool nvme) {
  DeviceFacts facts;
  if (nvme) {
    std::uint64_t bytes = 0;
    for (std::size_t i = 8; i-- > 0;) bytes = bytes << 8 | sector[kNvmeSectorCapacityBytes + i];
    if (bytes != 0) facts.NvmeCapacityBytes = bytes;
    return facts;
  }
  TakeCapacity(sector, facts);
  TakeLink(sector, facts);
  TakeStandards(sector, facts);
  TakeAdditionalProduct(sector, facts);
  const std::uint16_t rotation = Word(sector, kRotation);
  if (rotation >= kFirstRpm && rotation != kNotReported && rotation != kNonRotating) {
    facts.RotationRate = rotation;
  }
  return facts;
}

}  // namespace halvoric
