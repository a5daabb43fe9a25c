// Drive numbers: how many drives the program scans, and reading a number
// back out of text (a row caption, a command-line argument, the N of
// a device path).
#pragma once

#include <optional>
#include <string_view>

#include "drive/channel.h"

namespace halvoric {

// The drive list and the start-up scan look at drives 0 to 3.
inline constexpr DriveNumber kScannedDrives = 4;

// The number `text` holds in decimal: digits only, leading zeros allowed;
// nothing for empty text, a sign, a blank, any other character, or a value
// too large for a DriveNumber.
std::optional<DriveNumber> ParseDriveNumberText(std::string_view text);

// N of "\\.\PhysicalDrive" followed by N in decimal without leading zeros,
// the only form DevicePath writes; nothing for any other text.
std::optional<DriveNumber> ParseDrivePath(std::string_view path);

}  // namespace halvoric
