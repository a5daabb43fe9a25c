// SPDX-License-Identifier: GPL-3.0-or-later
// The disk control interface's ATA requests carried out on an NVMe drive
// with the only two admin commands this program ever sends: Identify
// Controller and Get Log Page for the SMART / Health Information log, each
// with its fixed size. Both need CAP_SYS_ADMIN on the kernels we run on.
#pragma once

#include <linux/nvme_ioctl.h>

#include "drive/ata_request_check.h"

namespace halvoric {

class NvmeAdmin {
 public:
  virtual ~NvmeAdmin() = default;
  // Issues one NVME_IOCTL_ADMIN_CMD; returns what ioctl(2) returned: 0 done,
  // above 0 the drive's status, below 0 the kernel refused.
  virtual int Submit(int fd, nvme_admin_cmd& command) = 0;
};

class KernelNvmeAdmin final : public NvmeAdmin {
 public:
  int Submit(int fd, nvme_admin_cmd& command) override;
};

// Answers a request that CheckAtaRequest accepted, into `out` as
// RunAtaPassThrough would, with the NVMe equivalent of its command's row:
// Identify Controller for IDENTIFY DEVICE, the health log for both SMART
// reads. A command without an equivalent fails without a command sent.
bool RunNvmeRequest(NvmeAdmin& admin, int fd, const CheckedAtaRequest& checked, void* out);

}  // namespace halvoric
