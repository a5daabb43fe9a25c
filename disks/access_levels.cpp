// SPDX-License-Identifier: GPL-3.0-or-later
#include "disks/access_levels.h"

#include <linux/capability.h>

#include <algorithm>

#include "disks/capabilities.h"
#include "disks/helper_disk_control.h"
#include "disks/linux_disk_control.h"
#include "disks/sysfs_disk_control.h"
#include "disks/whole_disks.h"
#include "drive/drive_number.h"

namespace halvoric {
namespace {

constexpr const char* kNoRightsMessage =
    "No drive could be read with S.M.A.R.T. commands for lack of rights: only the model and "
    "the temperature are shown. The install step (installing the Debian package, or as root: "
    "cmake --install BUILD-FOLDER) gives the helper halvoric-ata the capabilities it needs; see "
    "halvoric-ata(8) or docs/access-levels.md.";

// Also where the helper is installed but without its NVMe right.
constexpr const char* kNoNvmeRightsMessage =
    "No drive could be read with S.M.A.R.T. commands for lack of rights: only the model and "
    "the temperature are shown. NVMe drives give their health log only to root or to the helper "
    "halvoric-ata holding CAP_SYS_ADMIN, which the install step (installing the Debian "
    "package, or as root: cmake --install BUILD-FOLDER) gives it unless it was configured with "
    "-DHALVORIC_HELPER_NVME=OFF; see halvoric-ata(8) or docs/access-levels.md.";

// Rights that no install step can add to: the open was refused from outside
// the program, e.g. by a container's device rules or a security module.
constexpr const char* kRefusedBySystemMessage =
    "No drive could be read with S.M.A.R.T. commands: the system refused to open the disks "
    "although this program holds the rights to (a container or a security policy may keep the "
    "disks away from it): only the model and the temperature are shown.";

const char* LevelText(AccessLevel level) {
  switch (level) {
    case AccessLevel::Ata:
      return "read with ATA commands";
    case AccessLevel::Nvme:
      return "read with NVMe admin commands";
    case AccessLevel::Limited:
      return "read from sysfs and hwmon only";
    case AccessLevel::Unknown:
      break;
  }
  return "not read";
}

}  // namespace

TieredDiskControl::TieredDiskControl(std::unique_ptr<DiskControl> ata,
                                     std::unique_ptr<DiskControl> limited,
                                     std::function<bool(DriveNumber)> isNvme, AtaRights rights)
    : ata_(std::move(ata)),
      limited_(std::move(limited)),
      isNvme_(std::move(isNvme)),
      rights_(rights) {}

OpenResult TieredDiskControl::Open(const std::string& path) {
  const std::optional<DriveNumber> number = ParseDrivePath(path);
  if (!number) {
    // No backend opens such a path; refusing it here keeps every level
    // recorded under a drive number.
    return {OpenError::NotFound, "not a drive path: " + path};
  }
  OpenResult result = ata_ ? ata_->Open(path)
                           : OpenResult(OpenError::PermissionDenied, "no way to send ATA commands");
  DiskControl* backend = ata_.get();
  AccessLevel level = isNvme_ && isNvme_(*number) ? AccessLevel::Nvme : AccessLevel::Ata;
  std::string refusal;  // why the ATA path turned the drive away
  if (!result.Ok() && result.Kind == OpenError::PermissionDenied) {
    refusal = result.Message;
    OpenResult limited = limited_->Open(path);
    // The refusal stays the reason reported unless the fallback knows
    // better: the drive is there after all, or there is no such drive.
    if (limited.Ok() || limited.Kind == OpenError::NotFound) result = std::move(limited);
    backend = limited_.get();
    level = AccessLevel::Limited;
  }
  const std::string drive = "drive " + std::to_string(*number) + ": ";
  const std::string because = refusal.empty() ? "" : " (the ATA path refused it: " + refusal + ")";
  if (!result.Ok()) {
    levels_.erase(*number);
    diagnostics_.Tell(*number, drive + "cannot be opened: " + result.Message + because);
    return result;
  }
  levels_[*number] = level;
  diagnostics_.Tell(*number, drive + LevelText(level) + because);
  const DeviceHandle handle = nextHandle_++;
  routes_[handle] = {backend, *result, level == AccessLevel::Nvme};
  return handle;
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

bool TieredDiskControl::AnswersFromNvme(DeviceHandle handle) const {
  const auto route = routes_.find(handle);
  return route != routes_.end() && route->second.Nvme;
}

// Every user may read hwmon, so the limits come from there at every level.
TemperatureLimits TieredDiskControl::KernelLimits(unsigned driveNumber) const {
  return limited_->KernelLimits(driveNumber);
}

std::string TieredDiskControl::KernelModel(unsigned driveNumber) const {
  return limited_->KernelModel(driveNumber);
}

// Whatever the level, the disks and their runtime state are sysfs's to tell.
unsigned TieredDiskControl::DriveCount() const { return limited_->DriveCount(); }

bool TieredDiskControl::RuntimeSuspended(unsigned driveNumber) const {
  return limited_->RuntimeSuspended(driveNumber);
}

AccessLevel TieredDiskControl::LevelOf(DriveNumber n) const {
  const auto found = levels_.find(n);
  return found == levels_.end() ? AccessLevel::Unknown : found->second;
}

AccessReport TieredDiskControl::Report() const {
  AccessReport report;
  const auto count = [&](AccessLevel level) {
    return std::count_if(levels_.begin(), levels_.end(),
                         [&](const auto& entry) { return entry.second == level; });
  };
  report.RefusedForRights = count(AccessLevel::Limited) > 0;
  report.NoDriveReadable =
      report.RefusedForRights && count(AccessLevel::Ata) + count(AccessLevel::Nvme) == 0;
  if (!report.NoDriveReadable) return report;
  const bool onlyNvmeRefused =
      isNvme_ && std::all_of(levels_.begin(), levels_.end(), [&](const auto& entry) {
        return entry.second != AccessLevel::Limited || isNvme_(entry.first);
      });
  if (rights_ == AtaRights::Held) {
    report.Message = kRefusedBySystemMessage;
  } else {
    report.Message = onlyNvmeRefused ? kNoNvmeRightsMessage : kNoRightsMessage;
  }
  return report;
}

std::unique_ptr<TieredDiskControl> MakeSystemDiskControl() {
  std::unique_ptr<DiskControl> ata;
  AtaRights rights = AtaRights::Installable;
  if (HasEffectiveCapability(CAP_SYS_RAWIO)) {
    std::unique_ptr<NvmeAdmin> nvme;
    if (HasEffectiveCapability(CAP_SYS_ADMIN)) {
      nvme = std::make_unique<KernelNvmeAdmin>();
      rights = AtaRights::Held;
      Diagnose(DiagnosticArea::Access,
               "this process holds CAP_SYS_RAWIO and CAP_SYS_ADMIN: it reads every drive itself");
    } else {
      Diagnose(DiagnosticArea::Access,
               "this process holds CAP_SYS_RAWIO but not CAP_SYS_ADMIN: it reads ATA drives "
               "itself, NVMe drives from sysfs and hwmon");
    }
    ata = std::make_unique<LinuxDiskControl>("/sys", "/dev", std::make_unique<KernelSgIo>(),
                                             std::move(nvme));
  } else if (const auto helper = HelperBesideExecutable(); !helper.empty() && exists(helper)) {
    Diagnose(DiagnosticArea::Access,
             "this process lacks CAP_SYS_RAWIO: drives go through the helper " + helper.string());
    ata = std::make_unique<HelperDiskControl>(std::vector<std::string>{helper.string()});
  } else {
    const std::string where = helper.empty() ? "(its own folder is unknown)" : helper.string();
    Diagnose(DiagnosticArea::Access, "this process lacks CAP_SYS_RAWIO and finds no helper at " +
                                         where + ": every drive is read from sysfs and hwmon");
  }
  // An NVMe drive that either path opened is read with NVMe commands.
  const auto isNvme = [](DriveNumber n) {
    const std::vector<std::string> disks = ListWholeDisks("/sys");
    return n < disks.size() && IsNvmeDiskName(disks[n]);
  };
  return std::make_unique<TieredDiskControl>(
      std::move(ata), std::make_unique<SysfsDiskControl>("/sys"), isNvme, rights);
}

}  // namespace halvoric
