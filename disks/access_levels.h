// SPDX-License-Identifier: GPL-3.0-or-later
// The machine's disks, each read the best way this process's rights allow,
// remembering which way each drive got for the detail pages and the
// start-up report.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "base/diagnostics.h"
#include "drive/channel.h"
#include "drive/disk_control.h"
#include "drive/drive_access.h"

namespace halvoric {

// How the ATA path gets its rights.
enum class AtaRights {
  Installable,  // the install step can give them (the helper, or none yet)
  Held,         // this process holds them all, so a refusal came from the system
};

// Tries the ATA path first (`ata` may be null when there is none) and, when
// it is refused for lack of rights, answers the series from `limited`.
// `isNvme` tells which drives the ATA path serves with NVMe commands.
class TieredDiskControl final : public DiskControl, public DriveAccess {
 public:
  TieredDiskControl(std::unique_ptr<DiskControl> ata, std::unique_ptr<DiskControl> limited,
                    std::function<bool(DriveNumber)> isNvme = {},
                    AtaRights rights = AtaRights::Installable);

  OpenResult Open(const std::string& path) override;
  bool Control(DeviceHandle handle, std::uint32_t code, const void* in, std::size_t inSize,
               void* out, std::size_t outSize) override;
  void Close(DeviceHandle handle) override;
  bool AnswersFromNvme(DeviceHandle handle) const override;
  TemperatureLimits KernelLimits(unsigned driveNumber) const override;
  std::string KernelModel(unsigned driveNumber) const override;
  unsigned DriveCount() const override;
  bool RuntimeSuspended(unsigned driveNumber) const override;

  AccessLevel LevelOf(DriveNumber n) const override;
  AccessReport Report() const override;

 private:
  struct Route {
    DiskControl* Backend = nullptr;
    DeviceHandle Inner = kInvalidHandle;
    bool Nvme = false;  // NVMe admin commands answer it
  };

  std::unique_ptr<DiskControl> ata_;
  std::unique_ptr<DiskControl> limited_;
  std::function<bool(DriveNumber)> isNvme_;
  AtaRights rights_;
  std::map<DeviceHandle, Route> routes_;
  std::map<DriveNumber, AccessLevel> levels_;
  ChangeDiagnostics diagnostics_{DiagnosticArea::Access};
  DeviceHandle nextHandle_ = 1;
};

// The machine's own disks: directly when this process may send ATA commands,
// else through halvoric-ata beside the executable when it is there, and from
// sysfs and hwmon for drives neither may read.
std::unique_ptr<TieredDiskControl> MakeSystemDiskControl();

}  // namespace halvoric
