#include "drive/drive_access.h"

#include <cstdio>

#include "drive/nvme_figures.h"

namespace halvoric {
namespace {

constexpr const char* kNotReported = "-";

// The IDENTIFY sector built for a drive holds 0 in the geometry words: the
// kernel kept no copy of the drive's own, or the drive is an NVMe drive.
bool IsMadeUpDiskInfo(const DiskInfoRow& row) {
  const bool geometry =
      row.Caption == "Cylinders" || row.Caption == "Heads" || row.Caption == "Sectors per Track";
  return geometry && row.Value == "0";
}

// The levels at which the program builds the drive's blocks itself.
bool FillsInFigures(AccessLevel level) {
  return level == AccessLevel::Limited || level == AccessLevel::Nvme;
}

bool IsNvmeSpareRow(const SmartInfoRow& row) {
  char hex[3];
  std::snprintf(hex, sizeof hex, "%02X", kNvmeAvailableSpareId);
  return row.Id == hex;
}

}  // namespace

DiskInfoRow AccessSourceRow(AccessLevel level) {
  if (level == AccessLevel::Limited) {
    return {"Data source", "sysfs and hwmon (no right to send ATA commands)"};
  }
  if (level == AccessLevel::Nvme) return {"Data source", "the drive (NVMe health log)"};
  return {"Data source", "the drive (ATA commands)"};
}

void ReportedFigureRows::AppendDiskInfoRow(const DiskInfoRow& row) {
  if (!FillsInFigures(level_) || !IsMadeUpDiskInfo(row)) {
    diskInfo_.AppendDiskInfoRow(row);
    return;
  }
  diskInfo_.AppendDiskInfoRow({row.Caption, kNotReported});
}

void ReportedFigureRows::AppendSmartInfoRow(const SmartInfoRow& row) {
  if (!FillsInFigures(level_)) {
    smartInfo_.AppendSmartInfoRow(row);
    return;
  }
  SmartInfoRow shown = row;
  shown.Worst = kNotReported;
  if (level_ != AccessLevel::Nvme || !IsNvmeSpareRow(row)) {
    shown.Threshold = shown.Value = kNotReported;
  }
  smartInfo_.AppendSmartInfoRow(shown);
}

}  // namespace halvoric
