// SPDX-License-Identifier: GPL-3.0-or-later
// The self-tests started on simulated drives and the logs they answer
// with: each test runs for its drive's `self-test-seconds` and then joins
// its log, passed or failed as the scenario says; an abort ends it at once.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "drive/sim/scenario.h"

namespace halvoric::sim {

// The summary error log at `seconds`: the count, and its newest five errors.
Sector BuildErrorLogSector(const SimDrive& drive, double seconds);
// The self-test log: the scenario's entries, then `ranSince`, oldest first.
Sector BuildSelfTestLogSector(const SimDrive& drive, const std::vector<SimSelfTestEntry>& ranSince);
// The drive's power-on hours at `seconds`: attribute 9's raw value, and
// the hours since the simulation began.
std::uint32_t PowerOnHoursAt(const SimDrive& drive, double seconds);

class SimSelfTests {
 public:
  // False when the drive runs no test of that subcommand. A test that
  // still runs ends as aborted, as a drive ends it for the new one.
  bool Start(const SimDrive& drive, std::uint8_t subcommand, double now);
  void Abort(const SimDrive& drive, double now);
  // SMART READ DATA's byte 363 at `now`; none before a test ran here.
  std::optional<std::uint8_t> StatusAt(const SimDrive& drive, double now);
  // The tests that ended here, oldest first.
  const std::vector<SimSelfTestEntry>& Ran(const SimDrive& drive, double now);

 private:
  struct Running {
    std::uint8_t Subcommand = 0;
    double StartedAt = 0;
  };
  // Logs a test whose time is up.
  void Settle(const SimDrive& drive, double now);
  void End(const SimDrive& drive, std::uint8_t status, double at);

  std::map<unsigned, Running> running_;
  std::map<unsigned, std::vector<SimSelfTestEntry>> ran_;
};

}  // namespace halvoric::sim
