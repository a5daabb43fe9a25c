// SPDX-License-Identifier: GPL-3.0-or-later
// The errors a drive logged: ATA's summary error log (SMART READ LOG 01h)
// and the first page of its extended one (READ LOG EXT 03h), NVMe's error
// information log (page 01h). Every decoder takes whatever bytes came.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "drive/self_test.h"

namespace halvoric {

// The registers the failed command ended with, and when.
struct AtaErrorEntry {
  std::uint32_t Number = 0;  // the error's number: the newest is the count
  std::uint64_t LifetimeHours = 0;
  std::uint8_t Error = 0;
  std::uint8_t Status = 0;
  std::uint16_t Count = 0;
  std::uint64_t Lba = 0;
  std::uint8_t Device = 0;
  std::uint8_t State = 0;
  std::string Description;  // "UNC at LBA 4660", "ABRT"
};

struct AtaErrorLog {
  std::uint8_t Revision = 0;
  bool ChecksumOk = true;
  std::uint32_t Count = 0;             // every error since the drive was made
  std::vector<AtaErrorEntry> Entries;  // the newest kept, newest first
};

struct NvmeErrorEntry {
  std::uint64_t ErrorCount = 0;  // its number among all the drive's errors
  std::uint16_t SubmissionQueue = 0;
  std::uint16_t CommandId = 0;
  std::uint16_t StatusField = 0;  // bits 15..1 of the completion's status
  std::uint64_t Lba = 0;
  std::uint32_t Namespace = 0;
};

struct NvmeErrorLog {
  std::vector<NvmeErrorEntry> Entries;  // newest first, used entries only
};

AtaErrorLog DecodeAtaErrorLog(const SectorBytes& sector);
AtaErrorLog DecodeExtendedErrorLog(const SectorBytes& sector);
// The log's first eight entries.
NvmeErrorLog DecodeNvmeErrorLog(const SectorBytes& log);

}  // namespace halvoric
