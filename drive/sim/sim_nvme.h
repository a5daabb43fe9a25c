// SPDX-License-Identifier: GPL-3.0-or-later
// A simulated NVMe drive: its Identify Controller data and its SMART /
// Health Information log as the scenario gives them, the log's fields
// changing over time like ATA attributes. The simulated disks answer with
// these through the same translation as a real NVMe drive's answers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/result.h"
#include "drive/nvme_translation.h"

namespace halvoric::sim {

// From `AtSeconds` on, the health log's field `Field` (an index into the
// field table) holds `Value`.
struct NvmeFieldPoint {
  double AtSeconds = 0;
  std::size_t Field = 0;
  std::uint64_t Value = 0;
};

struct SimNvme {
  std::optional<int> WarningCelsius;   // WCTEMP
  std::optional<int> CriticalCelsius;  // CCTEMP
  std::uint64_t CapacityBytes = 0;     // TNVMCAP; 0: not given
  std::vector<NvmeFieldPoint> Points;  // each field's in increasing time
};

// `nvme-controller = [warning=C] [critical=C] [capacity=BYTES]`.
Result<> ParseNvmeController(const std::string& value, SimNvme& nvme);
// `nvme-health = FIELD=N ...`: the figures from the start on.
Result<> ParseNvmeHealth(const std::string& value, SimNvme& nvme);
// `nvme-change = at SECONDS FIELD=N ...`.
Result<> ParseNvmeChange(const std::string& value, SimNvme& nvme);

NvmeIdentifyData BuildNvmeIdentify(const SimNvme& nvme, const std::string& model,
                                   const std::string& serial, const std::string& firmware);
// The log at `seconds`, its composite temperature `celsius`.
NvmeHealthLog BuildNvmeHealthLog(const SimNvme& nvme, double seconds, int celsius);
// An empty self-test log (06h): no test running, every entry unused.
void BuildEmptyNvmeSelfTestLog(std::uint8_t (&sector)[kSectorSize]);

}  // namespace halvoric::sim
