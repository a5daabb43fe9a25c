// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/disk_control.h"

namespace halvoric {

std::string DevicePath(unsigned driveNumber) {
  return "\\\\.\\PhysicalDrive" + std::to_string(driveNumber);
}

}  // namespace halvoric
