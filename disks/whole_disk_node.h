// SPDX-License-Identifier: GPL-3.0-or-later
// Opening the device node of a whole disk for the privileged helper, after
// making sure it is exactly the disk the kernel lists and nothing else.
#pragma once

#include <filesystem>
#include <string>

#include "disks/rights_around_calls.h"
#include "drive/disk_control.h"

namespace halvoric {

// `name` is a disk of ListWholeDisks(`sysfsRoot`), taken from the caller's
// one listing so that the disk checked is the disk opened; its node is
// `devRoot`/NAME. The node is refused, without being opened, unless it is a
// block device (not a symlink) whose device number is the one in
// `sysfsRoot`/block/NAME/dev; that also refuses partitions and every other
// disk. The open is read-only and does not follow links; the opened file is
// checked again so a node swapped in between is refused too. The handle is
// the open file descriptor, which the caller closes; a refused node fails
// as OpenError::Other. `rights` holds the right to open the node in force
// around the open(2) alone.
OpenResult OpenWholeDiskNode(const std::filesystem::path& sysfsRoot,
                             const std::filesystem::path& devRoot, const std::string& name,
                             RightsAroundCalls& rights);

}  // namespace halvoric
