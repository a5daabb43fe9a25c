// Which way each drive could be read, and the report the program and the
// command-line tool give at start-up when rights were missing. Qt-free, so
// the main window and the command-line tool share it.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "drive/channel.h"
#include "drive/disk_control.h"
#include "drive/row_sinks.h"

namespace halvoric {

enum class AccessLevel {
  Unknown,  // not opened yet, or not there
  Ata,      // ATA commands reached the drive (root, or through halvoric-ata)
  Limited,  // only sysfs and hwmon, for lack of rights
};

struct AccessReport {
  bool RefusedForRights = false;  // at least one drive was read only from sysfs
  bool NoDriveReadable = false;   // ... and no drive at all with ATA commands
  std::string Message;            // the start-up message; empty when all is well
};

// Tries the ATA path first (`ata` may be null when there is none) and, when
// it is refused for lack of rights, answers the series from `limited`.
class TieredDiskControl final : public DiskControl {
 public:
  TieredDiskControl(std::unique_ptr<DiskControl> ata, std::unique_ptr<DiskControl> limited);

  OpenResult Open(const std::string& path) override;
  bool Control(DeviceHandle handle, std::uint32_t code, const void* in, std::size_t inSize,
               void* out, std::size_t outSize) override;
  void Close(DeviceHandle handle) override;

  // How drive `n` was opened last.
  AccessLevel LevelOf(DriveNumber n) const;
  AccessReport Report() const;

 private:
  struct Route {
    DiskControl* Backend = nullptr;
    DeviceHandle Inner = kInvalidHandle;
  };

  std::unique_ptr<DiskControl> ata_;
  std::unique_ptr<DiskControl> limited_;
  std::map<DeviceHandle, Route> routes_;
  std::map<std::string, AccessLevel> levels_;  // by device path
  DeviceHandle nextHandle_ = 1;
};

// The Disk Info row naming where a drive's figures came from.
DiskInfoRow AccessSourceRow(AccessLevel level);

// For a Limited drive, passes rows on with every figure that was made up
// replaced by "-": a zero geometry on the Disk Info page, the threshold,
// value and worst of the SMART Info page. Other drives' rows pass unchanged.
class LimitedAccessRows final : public DiskInfoSink, public SmartInfoSink {
 public:
  LimitedAccessRows(AccessLevel level, DiskInfoSink& diskInfo, SmartInfoSink& smartInfo)
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

// The machine's own disks: directly when this process may send ATA commands,
// else through halvoric-ata beside the executable when it is there, and from
// sysfs and hwmon for drives neither may read.
std::unique_ptr<TieredDiskControl> MakeSystemDiskControl();

}  // namespace halvoric
