// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/error_log.h"

#include <algorithm>
#include <iterator>

namespace halvoric {
namespace {

// SMART READ LOG 01h: version (0), the newest structure's number 1-5 (1),
// five 90-byte structures from byte 2, the error count at 452-453. Within a
// structure the error data follows five 12-byte commands.
constexpr std::size_t kSummaryStructures = 5;
constexpr std::size_t kSummaryStructureSize = 90;
constexpr std::size_t kSummaryCount = 452;
constexpr std::size_t kSummaryErrorData = 60;
// READ LOG EXT 03h page 0: version (0), the newest structure's number
// (2-3), four 124-byte structures from byte 4, the count at 500-501; the
// error data follows five 18-byte commands.
constexpr std::size_t kExtStructures = 4;
constexpr std::size_t kExtStructureSize = 124;
constexpr std::size_t kExtFirst = 4;
constexpr std::size_t kExtCount = 500;
constexpr std::size_t kExtErrorData = 90;
// NVMe log page 01h: 64-byte entries; an error count of 0 marks one unused.
constexpr std::size_t kNvmeEntries = kSectorSize / 64;
constexpr std::size_t kNvmeEntrySize = 64;

// The error register's bits, as ATA names them.
struct ErrorBit {
  std::uint8_t Mask;
  const char* Name;
  bool NamesLba;  // the error happened at the LBA the registers hold
};
constexpr ErrorBit kErrorBits[] = {
    {0x80, "ICRC", false}, {0x40, "UNC", true},   {0x20, "MC", false}, {0x10, "IDNF", true},
    {0x08, "MCR", false},  {0x04, "ABRT", false}, {0x02, "NM", false}, {0x01, "AMNF", true},
};

std::uint64_t LittleEndian(const std::uint8_t* bytes, std::size_t count) {
  std::uint64_t value = 0;
  for (std::size_t i = count; i-- > 0;) value = value << 8 | bytes[i];
  return value;
}

bool AllZero(const std::uint8_t* bytes, std::size_t count) {
  return std::all_of(bytes, bytes + count, [](std::uint8_t b) { return b == 0; });
}

std::string Describe(std::uint8_t error, std::uint64_t lba) {
  std::string text;
  bool namesLba = false;
  for (const ErrorBit& bit : kErrorBits) {
    if ((error & bit.Mask) == 0) continue;
    text += (text.empty() ? "" : ", ") + std::string(bit.Name);
    namesLba = namesLba || bit.NamesLba;
  }
  if (text.empty()) return "no error bit set";
  return namesLba ? text + " at LBA " + std::to_string(lba) : text;
}

// The summary log's error data: reserved (0), error (1), count (2), LBA
// low, mid, high (3-5), device (6), status (7), state (27), hours (28-29).
AtaErrorEntry SummaryEntry(const std::uint8_t* data) {
  AtaErrorEntry entry;
  entry.Error = data[1];
  entry.Count = data[2];
  entry.Device = data[6];
  entry.Lba = data[3] | data[4] << 8 | data[5] << 16 | std::uint64_t(data[6] & 0x0F) << 24;
  entry.Status = data[7];
  entry.State = data[27];
  entry.LifetimeHours = LittleEndian(data + 28, 2);
  entry.Description = Describe(entry.Error, entry.Lba);
  return entry;
}

// The extended log's: error (1), count (2-3), LBA bytes in the order 7:0,
// 31:24, 15:8, 39:32, 23:16, 47:40 (4-9), device (10), status (11), state
// (31), hours (32-33).
AtaErrorEntry ExtendedEntry(const std::uint8_t* data) {
  AtaErrorEntry entry;
  entry.Error = data[1];
  entry.Count = static_cast<std::uint16_t>(LittleEndian(data + 2, 2));
  constexpr int kShifts[] = {0, 24, 8, 32, 16, 40};
  for (std::size_t i = 0; i < std::size(kShifts); ++i) {
    entry.Lba |= std::uint64_t(data[4 + i]) << kShifts[i];
  }
  entry.Device = data[10];
  entry.Status = data[11];
  entry.State = data[31];
  entry.LifetimeHours = LittleEndian(data + 32, 2);
  entry.Description = Describe(entry.Error, entry.Lba);
  return entry;
}

// Numbers the entries down from the count; no more than it counts.
void Number(AtaErrorLog& log) {
  if (log.Entries.size() > log.Count) log.Entries.resize(log.Count);
  for (std::size_t i = 0; i < log.Entries.size(); ++i) {
    log.Entries[i].Number = static_cast<std::uint32_t>(log.Count - i);
  }
}

}  // namespace

AtaErrorLog DecodeAtaErrorLog(const SectorBytes& sector) {
  AtaErrorLog log;
  log.Revision = sector[0];
  log.ChecksumOk = SectorChecksumOk(sector);
  log.Count = static_cast<std::uint32_t>(LittleEndian(sector + kSummaryCount, 2));
  const std::size_t index = sector[1];
  if (index >= 1 && index <= kSummaryStructures) {
    for (std::size_t k = 0; k < kSummaryStructures; ++k) {
      const std::size_t slot = (index - 1 + kSummaryStructures - k) % kSummaryStructures;
      const std::uint8_t* s = sector + 2 + slot * kSummaryStructureSize;
      if (AllZero(s, kSummaryStructureSize)) continue;
      log.Entries.push_back(SummaryEntry(s + kSummaryErrorData));
    }
  }
  Number(log);
  return log;
}

AtaErrorLog DecodeExtendedErrorLog(const SectorBytes& sector) {
  AtaErrorLog log;
  log.Revision = sector[0];
  log.ChecksumOk = SectorChecksumOk(sector);
  log.Count = static_cast<std::uint32_t>(LittleEndian(sector + kExtCount, 2));
  // Older entries, and all of them once the newest is past the first
  // page, lie on pages not read.
  const std::size_t index = LittleEndian(sector + 2, 2);
  if (index <= kExtStructures) {
    for (std::size_t slot = index; slot-- > 0;) {
      const std::uint8_t* s = sector + kExtFirst + slot * kExtStructureSize;
      if (AllZero(s, kExtStructureSize)) continue;
      log.Entries.push_back(ExtendedEntry(s + kExtErrorData));
    }
  }
  Number(log);
  return log;
}

NvmeErrorLog DecodeNvmeErrorLog(const SectorBytes& log) {
  NvmeErrorLog decoded;
  for (std::size_t i = 0; i < kNvmeEntries; ++i) {
    const std::uint8_t* e = log + i * kNvmeEntrySize;
    NvmeErrorEntry entry;
    entry.ErrorCount = LittleEndian(e, 8);
    if (entry.ErrorCount == 0) continue;
    entry.SubmissionQueue = static_cast<std::uint16_t>(LittleEndian(e + 8, 2));
    entry.CommandId = static_cast<std::uint16_t>(LittleEndian(e + 10, 2));
    entry.StatusField = static_cast<std::uint16_t>(LittleEndian(e + 12, 2) >> 1);
    entry.Lba = LittleEndian(e + 16, 8);
    entry.Namespace = static_cast<std::uint32_t>(LittleEndian(e + 24, 4));
    decoded.Entries.push_back(entry);
  }
  return decoded;
}

}  // namespace halvoric
