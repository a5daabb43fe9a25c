// SPDX-License-Identifier: GPL-3.0-or-later
// The one system call of the drive channel, behind a seam so that the
// translation around it runs in tests without a drive.
#pragma once

#include <scsi/sg.h>

namespace halvoric {

class SgIo {
 public:
  virtual ~SgIo() = default;

  // Issues one SG_IO request on an open device; returns what ioctl(2)
  // returned and leaves the kernel's answer in `header`.
  virtual int Submit(int fd, sg_io_hdr_t& header) = 0;
};

class KernelSgIo final : public SgIo {
 public:
  int Submit(int fd, sg_io_hdr_t& header) override;
};

}  // namespace halvoric
