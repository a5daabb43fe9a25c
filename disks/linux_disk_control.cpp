// SPDX-License-Identifier: GPL-3.0-or-later
#include "disks/linux_disk_control.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "disks/ata_pass_through.h"
#include "disks/open_error_kind.h"
#include "disks/whole_disks.h"
#include "drive/drive_number.h"

namespace halvoric {

LinuxDiskControl::LinuxDiskControl(std::filesystem::path sysfsRoot, std::filesystem::path devRoot,
                                   std::unique_ptr<SgIo> sgIo, std::unique_ptr<NvmeAdmin> nvme)
    : sysfsRoot_(std::move(sysfsRoot)),
      devRoot_(std::move(devRoot)),
      sgIo_(std::move(sgIo)),
      nvme_(std::move(nvme)) {}

LinuxDiskControl::~LinuxDiskControl() {
  for (const auto& [handle, drive] : openDrives_) ::close(static_cast<int>(handle));
}

OpenResult LinuxDiskControl::Open(const std::string& path) {
  const std::optional<DriveNumber> driveNumber = ParseDrivePath(path);
  if (!driveNumber) return {OpenError::NotFound, "not a drive path: " + path};
  const std::vector<std::string> disks = ListWholeDisks(sysfsRoot_);
  if (*driveNumber >= disks.size()) {
    return {OpenError::NotFound, "no whole disk number " + std::to_string(*driveNumber) + " (" +
                                     std::to_string(disks.size()) + " found)"};
  }
  const bool nvme = IsNvmeDiskName(disks[*driveNumber]);
  if (nvme && !nvme_) {
    return {OpenError::PermissionDenied,
            disks[*driveNumber] + ": NVMe admin commands need CAP_SYS_ADMIN"};
  }
  const std::filesystem::path node = devRoot_ / disks[*driveNumber];
  const int fd = ::open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    return {OpenErrorFromErrno(error),
            node.string() + ": " + std::generic_category().message(error)};
  }
  openDrives_[fd] = {*driveNumber, nvme};
  return DeviceHandle{fd};
}

bool LinuxDiskControl::Control(DeviceHandle handle, std::uint32_t code, const void* in,
                               std::size_t inSize, void* out, std::size_t outSize) {
  const auto drive = openDrives_.find(handle);
  if (drive == openDrives_.end()) return false;
  if (code == SMART_GET_VERSION) {
    return AnswerVersion(drive->second.Number, inSize, out, outSize);
  }
  const Result<CheckedAtaRequest> checked = CheckAtaRequest(code, in, inSize, out, outSize);
  if (!checked.Ok()) return false;
  const int fd = static_cast<int>(handle);
  if (drive->second.Nvme) return RunNvmeRequest(*nvme_, fd, *checked, out);
  return RunAtaPassThrough(*sgIo_, fd, *checked, out);
}

bool LinuxDiskControl::AnswersFromNvme(DeviceHandle handle) const {
  const auto drive = openDrives_.find(handle);
  return drive != openDrives_.end() && drive->second.Nvme;
}

void LinuxDiskControl::Close(DeviceHandle handle) {
  if (openDrives_.erase(handle) > 0) ::close(static_cast<int>(handle));
}

}  // namespace halvoric
