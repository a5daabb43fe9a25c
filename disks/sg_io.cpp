// SPDX-License-Identifier: GPL-3.0-or-later
#include "disks/sg_io.h"

#include <sys/ioctl.h>

namespace halvoric {

int KernelSgIo::Submit(int fd, sg_io_hdr_t& header) { return ioctl(fd, SG_IO, &header); }

}  // namespace halvoric
