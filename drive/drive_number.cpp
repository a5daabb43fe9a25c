// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/drive_number.h"

#include <algorithm>
#include <limits>

namespace halvoric {
namespace {

constexpr std::string_view kPathPrefix = R"(\\.\PhysicalDrive)";

}  // namespace

unsigned ScannedDriveCount(const DiskControl& disks) {
  return std::min(disks.DriveCount(), kMaxDrives);
}

std::string UnnumberedDisksText(unsigned diskCount) {
  if (diskCount <= kMaxDrives) return {};
  return "This machine has " + std::to_string(diskCount) + " disks; drive numbers end at " +
         std::to_string(kMaxDrives - 1) + ", so the " + std::to_string(diskCount - kMaxDrives) +
         " after the first " + std::to_string(kMaxDrives) + " are not listed or watched";
}

std::optional<DriveNumber> ParseDriveNumberText(std::string_view text) {
  if (text.empty()) return std::nullopt;
  unsigned number = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    number = number * 10 + static_cast<unsigned>(c - '0');
    // Checked at every digit, so any run of digits is rejected before the
    // sum could wrap.
    if (number > std::numeric_limits<DriveNumber>::max()) return std::nullopt;
  }
  return static_cast<DriveNumber>(number);
}

std::optional<DriveNumber> ParseDrivePath(std::string_view path) {
  if (!path.starts_with(kPathPrefix)) return std::nullopt;
  const std::string_view digits = path.substr(kPathPrefix.size());
  // "\\.\PhysicalDrive07" is not drive 7's path: a path names a drive only
  // in the one form the program writes.
  if (digits.size() > 1 && digits.front() == '0') return std::nullopt;
  return ParseDriveNumberText(digits);
}

}  // namespace halvoric
