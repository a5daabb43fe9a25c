// SPDX-License-Identifier: GPL-3.0-or-later
// Why a device node could not be opened, in the disk control interface's terms.
#pragma once

#include "drive/disk_control.h"

namespace halvoric {

// ENOENT, ENXIO, ENODEV: NotFound; EACCES, EPERM: PermissionDenied; any
// other errno: Other.
OpenError OpenErrorFromErrno(int error);

}  // namespace halvoric
