// SPDX-License-Identifier: GPL-3.0-or-later
// Drive numbers: how many drives the program scans, and reading a number
// back out of text (a row caption, a command-line argument, the N of
// a device path).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "drive/channel.h"

namespace halvoric {

// A DriveNumber has 8 bits: disks past the 256th get no number.
inline constexpr unsigned kMaxDrives = 256;

// The drive numbers the drive list, the start-up scan and the command-line
// tool look at: 0 to ScannedDriveCount() - 1, every drive `disks` has, up
// to kMaxDrives.
unsigned ScannedDriveCount(const DiskControl& disks);

// Says that `diskCount` disks are more than the drive numbers reach, and
// which are left out; empty when every disk has a number.
std::string UnnumberedDisksText(unsigned diskCount);

// The number `text` holds in decimal: digits only, leading zeros allowed;
// nothing for empty text, a sign, a blank, any other character, or a value
// too large for a DriveNumber.
std::optional<DriveNumber> ParseDriveNumberText(std::string_view text);

// N of "\\.\PhysicalDrive" followed by N in decimal without leading zeros,
// the only form DevicePath writes; nothing for any other text.
std::optional<DriveNumber> ParseDrivePath(std::string_view path);

}  // namespace halvoric
