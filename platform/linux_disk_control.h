// The disk control interface on Linux: "\\.\PhysicalDriveN" is the Nth whole
// disk (see docs/drive-order.md), the version query is answered here, and
// the two ATA control codes run as SG_IO ATA PASS-THROUGH (16) commands.
#pragma once

#include <filesystem>
#include <map>
#include <memory>

#include "drive/disk_control.h"
#include "platform/ata_request_check.h"
#include "platform/sg_io.h"

namespace halvoric {

// SMART_SEND_DRIVE_COMMAND / SMART_RCV_DRIVE_DATA's DriverError when the
// drive reported an error.
inline constexpr std::uint8_t kSmartIdeError = 1;

class LinuxDiskControl final : public DiskControl {
 public:
  // `sysfsRoot` holds block/ with the disks, `devRoot` their device nodes.
  LinuxDiskControl(std::filesystem::path sysfsRoot, std::filesystem::path devRoot,
                   std::unique_ptr<SgIo> sgIo);
  ~LinuxDiskControl() override;

  LinuxDiskControl(const LinuxDiskControl&) = delete;
  LinuxDiskControl& operator=(const LinuxDiskControl&) = delete;

  OpenResult Open(const std::string& path) override;
  bool Control(DeviceHandle handle, std::uint32_t code, const void* in, std::size_t inSize,
               void* out, std::size_t outSize) override;
  void Close(DeviceHandle handle) override;

 private:
  bool AnswerVersion(unsigned driveNumber, std::size_t inSize, void* out, std::size_t outSize);
  bool RunAtaCommand(int fd, const CheckedAtaRequest& checked, void* out);

  std::filesystem::path sysfsRoot_;
  std::filesystem::path devRoot_;
  std::unique_ptr<SgIo> sgIo_;
  std::map<DeviceHandle, unsigned> openDrives_;  // handle -> drive number
};

// The machine's own disks: /sys, /dev and the kernel's SG_IO.
std::unique_ptr<DiskControl> MakeSystemDiskControl();

}  // namespace halvoric
