// SPDX-License-Identifier: GPL-3.0-or-later
// The whole disks of this machine, in the order that gives drive numbers.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace halvoric {

// True for a kernel disk name this program looks at: a plain name of
// lower-case letters and digits, starting with a letter, that is not one of
// the virtual, RAID, optical or floppy kinds (loop, ram, zram, dm-, md, sr,
// fd, nbd).
bool IsMonitoredDiskName(std::string_view name);

// True for an NVMe namespace ("nvme0n1"), which takes NVMe admin commands
// instead of ATA pass-through.
bool IsNvmeDiskName(std::string_view name);

// Orders disk names by length, then by name, so that "sdz" precedes "sdaa"
// and "nvme1n1" precedes "nvme10n1".
bool DiskOrderLess(std::string_view left, std::string_view right);

// Lists the monitored disks under `sysfsRoot`/block in drive-number order:
// element N is the disk that "\\.\PhysicalDriveN" names. An unreadable
// directory gives an empty list.
std::vector<std::string> ListWholeDisks(const std::filesystem::path& sysfsRoot);

// Drive `n`'s name in `disks` (a list as above), or "driveN" for a number
// the list does not reach, so that the metrics file always has a label.
std::string WholeDiskName(const std::vector<std::string>& disks, unsigned n);

}  // namespace halvoric
