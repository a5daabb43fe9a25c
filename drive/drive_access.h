// SPDX-License-Identifier: GPL-3.0-or-later
// What the program knows about its rights to each drive, and how the detail
// pages show a drive that could only be read from what the kernel tells
// every user. No OS calls here: the window and the command-line tool share
// it, and tests hand the window a fake.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "drive/channel.h"
#include "drive/row_sinks.h"
#include "drive/summary.h"

namespace halvoric {

enum class AccessLevel {
  Unknown,  // not opened yet, or not there
  Ata,      // ATA commands reached the drive (root, or through halvoric-ata)
  Limited,  // only sysfs and hwmon, for lack of rights
  Nvme,     // NVMe admin commands reached the drive (root, or through halvoric-ata)
};

struct AccessReport {
  bool RefusedForRights = false;  // at least one drive was read only from sysfs
  bool NoDriveReadable = false;   // ... and no drive at all with ATA commands
  std::string Message;            // the start-up message; empty when all is well
};

class DriveAccess {
 public:
  virtual ~DriveAccess() = default;
  // How drive `n` was opened last; Unknown when its last open failed.
  virtual AccessLevel LevelOf(DriveNumber n) const = 0;
  virtual AccessReport Report() const = 0;
};

// The Disk Info row naming where a drive's figures came from and, where the
// drive itself was read, where its `temperature` was found.
DiskInfoRow AccessSourceRow(AccessLevel level,
                            std::optional<TemperatureSource> temperature = std::nullopt);

// Which normalised figures of attribute `id` the drive itself reported at
// `level`: at the levels that build the table (sysfs, NVMe) the others are
// made up, and no reader may take them for the drive's.
struct ReportedFigures {
  bool Value = true;
  bool Worst = true;
  bool Threshold = true;
};
ReportedFigures ReportedFiguresOf(AccessLevel level, std::uint8_t id);

// Passes rows on with every figure that the drive did not report replaced by
// "-": for a Limited drive the zero geometry of the Disk Info page and the
// threshold, value and worst of the SMART Info page; for an NVMe drive the
// same, except the available spare's value and threshold, which the drive
// reports. ATA drives' rows pass unchanged.
class ReportedFigureRows final : public DiskInfoSink, public SmartInfoSink {
 public:
  ReportedFigureRows(AccessLevel level, DiskInfoSink& diskInfo, SmartInfoSink& smartInfo)
      : level_(level), diskInfo_(diskInfo), smartInfo_(smartInfo) {}

  void ClearDiskInfo() override { diskInfo_.ClearDiskInfo(); }
  void AppendDiskInfoRow(const DiskInfoRow& row) override;
  void ClearSmartInfo() override { smartInfo_.ClearSmartInfo(); }
  void AppendSmartInfoRow(const SmartInfoRow& row) override;

 private:
  AccessLevel level_;
  DiskInfoSink& diskInfo_;
  SmartInfoSink& smartInfo_;
};

}  // namespace halvoric
