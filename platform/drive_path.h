// Reading the drive number back out of a "\\.\PhysicalDriveN" device path.
#pragma once

#include <optional>
#include <string_view>

namespace halvoric {

// N of "\\.\PhysicalDrive" followed by N in decimal without leading zeros;
// nothing for any other text (a sign, a leading zero, trailing characters,
// a number too large to be a drive index).
std::optional<unsigned> ParseDrivePath(std::string_view path);

}  // namespace halvoric
