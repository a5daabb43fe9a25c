#include "drive/sim/sim_self_tests.h"

#include <algorithm>
#include <cmath>

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

}  // namespace halvoric::sim
