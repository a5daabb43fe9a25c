// SPDX-License-Identifier: GPL-3.0-or-later
#include "disks/whole_disks.h"

#include <algorithm>
#include <array>
#include <system_error>

namespace halvoric {
namespace {

// Kernel disk names are short; anything longer is not one we created.
constexpr std::size_t kMaxNameLength = 32;

constexpr std::array<std::string_view, 8> kExcludedPrefixes = {"loop", "ram", "zram", "dm-",
                                                               "md",   "sr",  "fd",   "nbd"};

bool IsLowerAlpha(char c) { return c >= 'a' && c <= 'z'; }
bool IsPlainChar(char c) { return IsLowerAlpha(c) || (c >= '0' && c <= '9'); }

}  // namespace

bool IsMonitoredDiskName(std::string_view name) {
  for (std::string_view prefix : kExcludedPrefixes) {
    if (name.starts_with(prefix)) return false;
  }
  if (name.empty() || name.size() > kMaxNameLength) return false;
  if (!IsLowerAlpha(name.front())) return false;
  return std::all_of(name.begin(), name.end(), IsPlainChar);
}

bool IsNvmeDiskName(std::string_view name) { return name.starts_with("nvme"); }

bool DiskOrderLess(std::string_view left, std::string_view right) {
  if (left.size() != right.size()) return left.size() < right.size();
  return left < right;
}

std::vector<std::string> ListWholeDisks(const std::filesystem::path& sysfsRoot) {
  std::vector<std::string> disks;
  std::error_code error;
  // Stepping with an error code: sysfs entries may vanish while we read.
  for (std::filesystem::directory_iterator it(sysfsRoot / "block", error), end; !error && it != end;
       it.increment(error)) {
    std::string name = it->path().filename().string();
    if (IsMonitoredDiskName(name)) disks.push_back(std::move(name));
  }
  // A listing cut short would shift every later drive number.
  if (error) return {};
  std::sort(disks.begin(), disks.end(), DiskOrderLess);
  return disks;
}

std::string WholeDiskName(const std::vector<std::string>& disks, unsigned n) {
  return n < disks.size() ? disks[n] : "drive" + std::to_string(n);
}

}  // namespace halvoric
