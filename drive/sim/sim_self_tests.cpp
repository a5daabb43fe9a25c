// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/sim/sim_self_tests.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace halvoric::sim {
namespace {

constexpr std::uint8_t kPassed = 0;
constexpr std::uint8_t kAbortedByHost = 1;
constexpr std::uint8_t kReadFailure = 7;
constexpr std::uint8_t kInProgress = 0xF0;

}  // namespace

bool SimSelfTests::Start(const SimDrive& drive, std::uint8_t subcommand, double now) {
  const bool runs = drive.RunsSelfTests && (subcommand != 3 || drive.RunsConveyance);
  if (!runs) return false;
  Settle(drive, now);
  if (running_.count(drive.Number)) End(drive, kAbortedByHost, now);
  running_[drive.Number] = {subcommand, now};
  return true;
}

void SimSelfTests::Abort(const SimDrive& drive, double now) {
  Settle(drive, now);
  if (running_.count(drive.Number)) End(drive, kAbortedByHost, now);
}

std::optional<std::uint8_t> SimSelfTests::StatusAt(const SimDrive& drive, double now) {
  Settle(drive, now);
  const auto running = running_.find(drive.Number);
  if (running != running_.end()) {
    // Tenths still to run, from 9 down to 1: a drive never says 0% left.
    const double done = (now - running->second.StartedAt) / std::max(1u, drive.SelfTestSeconds);
    const int left = std::clamp(static_cast<int>(std::ceil((1 - done) * 10)), 1, 9);
    return static_cast<std::uint8_t>(kInProgress | left);
  }
  const auto& ran = ran_[drive.Number];
  if (ran.empty()) return std::nullopt;
  return static_cast<std::uint8_t>(ran.back().Status << 4);
}

const std::vector<SimSelfTestEntry>& SimSelfTests::Ran(const SimDrive& drive, double now) {
  Settle(drive, now);
  return ran_[drive.Number];
}

void SimSelfTests::Settle(const SimDrive& drive, double now) {
  const auto running = running_.find(drive.Number);
  if (running == running_.end()) return;
  const double endsAt = running->second.StartedAt + drive.SelfTestSeconds;
  if (now < endsAt) return;
  End(drive, drive.SelfTestFailsAt ? kReadFailure : kPassed, endsAt);
}

void SimSelfTests::End(const SimDrive& drive, std::uint8_t status, double at) {
  SimSelfTestEntry entry;
  entry.Subcommand = running_[drive.Number].Subcommand;
  entry.Status = status;
  entry.Hours = PowerOnHoursAt(drive, at);
  if (status == kReadFailure) entry.Lba = *drive.SelfTestFailsAt;
  ran_[drive.Number].push_back(entry);
  running_.erase(drive.Number);
}

std::uint32_t PowerOnHoursAt(const SimDrive& drive, double seconds) {
  std::uint64_t hours = 0;
  for (const SimAttribute& a : drive.Attributes) {
    if (a.Id == 9) hours = a.Raw & 0xFFFFFFFF;
  }
  return static_cast<std::uint32_t>(hours + static_cast<std::uint64_t>(seconds / 3600));
}

Sector BuildErrorLogSector(const SimDrive& drive, double seconds) {
  constexpr std::size_t kStructures = 5;
  constexpr std::size_t kStructureSize = 90;
  Sector s{};
  s[0] = 0x01;
  const std::uint32_t count = drive.ErrorCountAt(seconds);
  const std::uint32_t hours = PowerOnHoursAt(drive, seconds);
  // Error k (from 1) lies in slot (k - 1) mod 5: an uncorrectable read at
  // LBA 1000 + k, logged one hour after the one before it.
  for (std::uint32_t k = count > kStructures ? count - kStructures + 1 : 1; k <= count; ++k) {
    std::uint8_t* data = s.data() + 2 + ((k - 1) % kStructures) * kStructureSize + 60;
    const std::uint32_t lba = 1000 + k;
    data[1] = 0x40;  // UNC
    data[2] = 1;
    data[3] = static_cast<std::uint8_t>(lba);
    data[4] = static_cast<std::uint8_t>(lba >> 8);
    data[5] = static_cast<std::uint8_t>(lba >> 16);
    data[6] = 0xE0;
    data[7] = 0x51;  // DRDY, DSC, ERR
    const std::uint32_t at = hours > count - k ? hours - (count - k) : 0;
    data[28] = static_cast<std::uint8_t>(at);
    data[29] = static_cast<std::uint8_t>(at >> 8);
  }
  if (count > 0) s[1] = static_cast<std::uint8_t>((count - 1) % kStructures + 1);
  s[452] = static_cast<std::uint8_t>(count);
  s[453] = static_cast<std::uint8_t>(count >> 8);
  SealSector(s);
  return s;
}

Sector BuildSelfTestLogSector(const SimDrive& drive,
                              const std::vector<SimSelfTestEntry>& ranSince) {
  constexpr std::size_t kDescriptors = 21;
  constexpr std::size_t kDescriptorSize = 24;
  Sector s{};
  s[0] = 0x01;  // the log's revision, a word
  std::size_t logged = 0;
  for (const auto* entries : {&drive.SelfTestLog, &ranSince}) {
    for (const SimSelfTestEntry& e : *entries) {
      std::uint8_t* d = s.data() + 2 + (logged % kDescriptors) * kDescriptorSize;
      std::memset(d, 0, kDescriptorSize);
      d[0] = e.Subcommand;
      d[1] = static_cast<std::uint8_t>(e.Status << 4);
      d[2] = static_cast<std::uint8_t>(e.Hours);
      d[3] = static_cast<std::uint8_t>(e.Hours >> 8);
      const std::uint64_t lba = e.Status == 7 ? e.Lba : 0xFFFFFFFF;
      for (std::size_t i = 0; i < 4; ++i) d[5 + i] = static_cast<std::uint8_t>(lba >> (8 * i));
      ++logged;
    }
  }
  if (logged > 0) s[508] = static_cast<std::uint8_t>((logged - 1) % kDescriptors + 1);
  SealSector(s);
  return s;
}

}  // namespace halvoric::sim
