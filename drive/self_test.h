// SPDX-License-Identifier: GPL-3.0-or-later
// A drive's self-tests: which it runs and for how long (SMART READ DATA, or
// an NVMe drive's Identify Controller), the one running now, and the log
// of those that ended (ATA logs 06h and 07h, NVMe log page 06h). Every
// decoder takes whatever bytes the drive sent.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "drive/ata_blocks.h"

namespace halvoric {

enum class SelfTestAction : std::uint8_t { Short, Extended, Conveyance, Abort };

// "short", "extended", "conveyance", "abort": the command line's words.
const char* SelfTestActionWord(SelfTestAction action);

struct SelfTestAbilities {
  bool ShortAndExtended = false;
  bool Conveyance = false;
  // How long the drive says each takes, where it says it.
  std::optional<int> ShortMinutes;
  std::optional<int> ExtendedMinutes;
  std::optional<int> ConveyanceMinutes;

  bool Runs(SelfTestAction action) const;
  std::optional<int> MinutesOf(SelfTestAction action) const;
};

// The self-test now, or the last one's outcome.
struct SelfTestState {
  std::uint8_t Value = 0;  // ATA: byte 363 whole; NVMe: the operation code
  bool Running = false;
  std::optional<int> PercentLeft;  // while it runs
  std::string Kind;                // "short", "extended", ...; empty where unknown
  std::string Text;                // "completed without error", "in progress, 70% left"
  std::optional<bool> Passed;      // ATA: how the last one ended, where it ended
};

struct SelfTestEntry {
  std::uint8_t Type = 0;            // ATA: the subcommand that ran it; NVMe: the self-test code
  std::string TypeText;             // "Short offline", "Extended captive", "Short"
  std::uint8_t Result = 0;          // ATA: the status byte whole; NVMe: the result code
  std::string ResultText;           // "Completed without error"
  std::optional<bool> Passed;       // none for a test aborted or still running
  std::optional<int> PercentLeft;   // ATA: what was left when it stopped
  std::uint64_t LifetimeHours = 0;  // the drive's power-on hours then
  std::optional<std::uint64_t> FailingLba;
};

struct SelfTestLog {
  std::uint16_t Revision = 0;
  bool ChecksumOk = true;              // ATA logs carry one; NVMe's none
  std::vector<SelfTestEntry> Entries;  // newest first
  std::size_t FailedCount() const;
};

using SectorBytes = std::uint8_t[kSectorSize];

// SMART READ DATA: offline capability byte 367, polling minutes 372-376.
SelfTestAbilities AtaSelfTestAbilities(const SectorBytes& smartData);
// SMART READ DATA byte 363, with the kind of test the log says is running.
SelfTestState AtaSelfTestState(const SectorBytes& smartData, const SelfTestLog* log);
// SMART READ LOG 06h: 21 descriptors, a ring.
SelfTestLog DecodeAtaSelfTestLog(const SectorBytes& sector);
// READ LOG EXT 07h, its first page: the newest descriptors on it.
SelfTestLog DecodeExtendedSelfTestLog(const SectorBytes& sector);

// The built IDENTIFY sector of an NVMe drive (drive/nvme_figures.h).
SelfTestAbilities NvmeSelfTestAbilities(const SectorBytes& identify);
// Log page 06h's first 512 bytes: the operation in progress and 18 entries.
SelfTestState NvmeSelfTestState(const SectorBytes& log);
SelfTestLog DecodeNvmeSelfTestLog(const SectorBytes& log);

// Whether the 512 bytes add up to 0, as ATA's logs and SMART data do.
bool SectorChecksumOk(const SectorBytes& sector);

}  // namespace halvoric
