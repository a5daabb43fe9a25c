// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes as a scenario file: the parser accepts or refuses with a
// message, and what it accepts the simulated drives can answer from.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "drive/drive_reader.h"
#include "drive/sim/simulated_disks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace halvoric;
  halvoric::Result<sim::Scenario> scenario = sim::ParseScenario(
      std::string(reinterpret_cast<const char*>(data), size), "fuzz", "/nonexistent");
  if (!scenario.Ok()) {
    if (scenario.Message.empty()) std::abort();
    return 0;
  }
  // A slow drive only sleeps; the fuzzer's time goes to the answers.
  for (sim::SimDrive& drive : scenario->Drives) drive.DelayMs = 0;
  sim::SimulatedDisks disks(std::move(*scenario), [] { return 0.0; });
  DriveReader reader(disks);
  // Every drive the scenario names, as the scan probes them.
  for (const sim::SimDrive& drive : disks.Drives().Drives) {
    const auto n = static_cast<DriveNumber>(drive.Number);
    if (!reader.DriveExists(n)) continue;
    (void)reader.CheckPowerMode(n);
    (void)reader.GetDriveSummaryIfAwake(n);
    (void)reader.GetDriveModel(n);
  }
  return 0;
}
