#include "platform/access_levels.h"

#include <linux/capability.h>

#include <algorithm>

#include "platform/capabilities.h"
#include "platform/helper_disk_control.h"
#include "platform/linux_disk_control.h"
#include "platform/sysfs_disk_control.h"

namespace halvoric {
namespace {

constexpr const char* kNotReported = "-";

constexpr const char* kNoRightsMessage =
    "No drive could be read with S.M.A.R.T. commands for lack of rights: only the model and "
    "the temperature are shown. The install step (as root: cmake --install BUILD-FOLDER) gives "
    "the helper halvoric-ata the capability it needs; see docs/access-levels.md.";

// The fallback's IDENTIFY sector holds 0 in the geometry words when the
// kernel kept no copy of the drive's own.
bool IsMadeUpDiskInfo(const DiskInfoRow& row) {
  const bool geometry =
      row.Caption == "Cylinders" || row.Caption == "Heads" || row.Caption == "Sectors per Track";
  return geometry && row.Value == "0";
}

}  // namespace

TieredDiskControl::TieredDiskControl(std::unique_ptr<DiskControl> ata,
                                     std::unique_ptr<DiskControl> limited)
    : ata_(std::move(ata)), limited_(std::move(limited)) {}

OpenResult TieredDiskControl::Open(const std::string& path) {
  OpenResult result;
  result.Error = OpenError::PermissionDenied;
  result.Message = "no way to send ATA commands";
  if (ata_) result = ata_->Open(path);
  Route route{ata_.get(), result.Handle};
  AccessLevel level = AccessLevel::Ata;
  if (!result.Ok() && result.Error == OpenError::PermissionDenied) {
    const OpenResult limited = limited_->Open(path);
    // The refusal stays the reason reported unless the fallback knows
    // better: the drive is there after all, or there is no such drive.
    if (limited.Ok() || limited.Error == OpenError::NotFound) result = limited;
    route = {limited_.get(), limited.Handle};
    level = AccessLevel::Limited;
  }
  if (!result.Ok()) {
    levels_.erase(path);
    return result;
  }
  levels_[path] = level;
  result.Handle = nextHandle_++;
  routes_[result.Handle] = route;
  return result;
}

bool TieredDiskControl::Control(DeviceHandle handle, std::uint32_t code, const void* in,
                                std::size_t inSize, void* out, std::size_t outSize) {
  const auto route = routes_.find(handle);
  if (route == routes_.end()) return false;
  return route->second.Backend->Control(route->second.Inner, code, in, inSize, out, outSize);
}

void TieredDiskControl::Close(DeviceHandle handle) {
  const auto route = routes_.find(handle);
  if (route == routes_.end()) return;
  route->second.Backend->Close(route->second.Inner);
  routes_.erase(route);
}

AccessLevel TieredDiskControl::LevelOf(DriveNumber n) const {
  const auto found = levels_.find(DevicePath(n));
  return found == levels_.end() ? AccessLevel::Unknown : found->second;
}

AccessReport TieredDiskControl::Report() const {
  AccessReport report;
  const auto count = [&](AccessLevel level) {
    return std::count_if(levels_.begin(), levels_.end(),
                         [&](const auto& entry) { return entry.second == level; });
  };
  report.RefusedForRights = count(AccessLevel::Limited) > 0;
  report.NoDriveReadable = report.RefusedForRights && count(AccessLevel::Ata) == 0;
  if (report.NoDriveReadable) report.Message = kNoRightsMessage;
  return report;
}

DiskInfoRow AccessSourceRow(AccessLevel level) {
  if (level == AccessLevel::Limited) {
    return {"Data source", "sysfs and hwmon (no right to send ATA commands)"};
  }
  return {"Data source", "the drive (ATA commands)"};
}

void LimitedAccessRows::AppendDiskInfoRow(const DiskInfoRow& row) {
  if (level_ != AccessLevel::Limited || !IsMadeUpDiskInfo(row)) {
    diskInfo_.AppendDiskInfoRow(row);
    return;
  }
  diskInfo_.AppendDiskInfoRow({row.Caption, kNotReported});
}

void LimitedAccessRows::AppendSmartInfoRow(const SmartInfoRow& row) {
  if (level_ != AccessLevel::Limited) {
    smartInfo_.AppendSmartInfoRow(row);
    return;
  }
  SmartInfoRow shown = row;
  shown.Threshold = shown.Value = shown.Worst = kNotReported;
  smartInfo_.AppendSmartInfoRow(shown);
}

std::unique_ptr<TieredDiskControl> MakeSystemDiskControl() {
  std::unique_ptr<DiskControl> ata;
  if (HasEffectiveCapability(CAP_SYS_RAWIO)) {
    ata = std::make_unique<LinuxDiskControl>("/sys", "/dev", std::make_unique<KernelSgIo>());
  } else if (const auto helper = HelperBesideExecutable(); !helper.empty() && exists(helper)) {
    ata = std::make_unique<HelperDiskControl>(std::vector<std::string>{helper.string()});
  }
  return std::make_unique<TieredDiskControl>(std::move(ata),
                                             std::make_unique<SysfsDiskControl>("/sys"));
}

}  // namespace halvoric
