// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/drive_access.h"

#include <charconv>
#include <system_error>

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

// The attribute ID a SMART Info row shows in hexadecimal; 0 (no attribute)
// for any other text.
std::uint8_t RowAttributeId(const std::string& id) {
  unsigned value = 0;
  const auto [end, error] = std::from_chars(id.data(), id.data() + id.size(), value, 16);
  const bool whole = error == std::errc{} && end == id.data() + id.size();
  return whole && value <= 0xFF ? static_cast<std::uint8_t>(value) : 0;
}

}  // namespace

DiskInfoRow AccessSourceRow(AccessLevel level, std::optional<TemperatureSource> temperature) {
  // The kernel's hwmon gives the temperature at the sysfs level, whatever
  // table row it is shown in.
  if (level == AccessLevel::Limited) {
    return {"Data source", "sysfs and hwmon (no right to send ATA commands)"};
  }
  std::string source =
      level == AccessLevel::Nvme ? "the drive (NVMe health log)" : "the drive (ATA commands)";
  if (temperature == TemperatureSource::None) {
    source += "; no temperature";
  } else if (temperature) {
    source += std::string("; temperature from ") + TemperatureSourceText(*temperature);
  }
  return {"Data source", source};
}

ReportedFigures ReportedFiguresOf(AccessLevel level, std::uint8_t id) {
  if (!FillsInFigures(level)) return {};
  // The NVMe health log carries the available spare and the drive's own
  // threshold for it; the value is the percentage the drive reports.
  const bool spare = level == AccessLevel::Nvme && id == kNvmeAvailableSpareId;
  return {.Value = spare, .Worst = false, .Threshold = spare};
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
  const ReportedFigures reported = ReportedFiguresOf(level_, RowAttributeId(row.Id));
  SmartInfoRow shown = row;
  if (!reported.Value) shown.Value = kNotReported;
  if (!reported.Worst) shown.Worst = kNotReported;
  if (!reported.Threshold) shown.Threshold = kNotReported;
  smartInfo_.AppendSmartInfoRow(shown);
}

}  // namespace halvoric
