// SPDX-License-Identifier: GPL-3.0-or-later
// The disk control interface on Linux: "\\.\PhysicalDriveN" is the Nth whole
// disk (see docs/drive-order.md), the version query is answered here, and
// the ATA control codes run as SG_IO ATA PASS-THROUGH (16) commands, or as
// NVMe admin commands on an NVMe drive (which takes no power check).
#pragma once

#include <filesystem>
#include <map>
#include <memory>

#include "disks/access_levels.h"  // MakeSystemDiskControl, which picks this class
#include "disks/nvme_admin.h"
#include "disks/sg_io.h"
#include "drive/ata_request_check.h"
#include "drive/disk_control.h"

namespace halvoric {

class LinuxDiskControl final : public DiskControl {
 public:
  // `sysfsRoot` holds block/ with the disks, `devRoot` their device nodes.
  // Without `nvme` (no right to send NVMe admin commands) an NVMe drive's
  // open is refused for lack of rights.
  LinuxDiskControl(std::filesystem::path sysfsRoot, std::filesystem::path devRoot,
                   std::unique_ptr<SgIo> sgIo, std::unique_ptr<NvmeAdmin> nvme = nullptr);
  ~LinuxDiskControl() override;

  LinuxDiskControl(const LinuxDiskControl&) = delete;
  LinuxDiskControl& operator=(const LinuxDiskControl&) = delete;

  OpenResult Open(const std::string& path) override;
  bool Control(DeviceHandle handle, std::uint32_t code, const void* in, std::size_t inSize,
               void* out, std::size_t outSize) override;
  void Close(DeviceHandle handle) override;
  bool AnswersFromNvme(DeviceHandle handle) const override;

 private:
  std::filesystem::path sysfsRoot_;
  std::filesystem::path devRoot_;
  struct OpenDrive {
    unsigned Number = 0;
    bool Nvme = false;
  };

  std::unique_ptr<SgIo> sgIo_;
  std::unique_ptr<NvmeAdmin> nvme_;
  std::map<DeviceHandle, OpenDrive> openDrives_;
};

}  // namespace halvoric
