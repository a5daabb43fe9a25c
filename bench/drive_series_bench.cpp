// SPDX-License-Identifier: GPL-3.0-or-later
// The cost of the drive core's own work per series, over simulated drives
// that answer at once, so it can be weighed against a real drive's command
// time (milliseconds per ATA command).
#include <benchmark/benchmark.h>

#include "drive/drive_reader.h"
#include "drive/sim/simulated_disks.h"

namespace halvoric {
namespace {

constexpr const char* kDrive = R"(
[drive 0]
model = Benchmark Disk
serial = B0
firmware = 1
attribute = 1 value=100 threshold=50
attribute = 5 value=100 threshold=10
attribute = 9 value=98 raw=8731
attribute = 12 value=99 raw=1412
attribute = 190 value=60 raw=40
attribute = 193 value=187 raw=39921
attribute = 194 value=66 worst=52 raw=34
attribute = 197 value=100
attribute = 198 value=100
attribute = 199 value=100
)";

struct NullSinks : DiskInfoSink, SmartInfoSink {
  std::size_t rows = 0;
  void ClearDiskInfo() override {}
  void AppendDiskInfoRow(const DiskInfoRow&) override { ++rows; }
  void ClearSmartInfo() override {}
  void AppendSmartInfoRow(const SmartInfoRow&) override { ++rows; }
};

sim::Scenario BenchScenario() { return *sim::ParseScenario(kDrive, "bench", "."); }

void BM_GetDriveSummary(benchmark::State& state) {
  sim::SimulatedDisks disks(BenchScenario(), [] { return 0.0; });
  DriveReader reader(disks);
  DriveSummary summary;
  for (auto _ : state) {
    reader.GetDriveSummary(0, summary);
    benchmark::DoNotOptimize(summary);
    disks.ClearEvents();
  }
}
BENCHMARK(BM_GetDriveSummary);

void BM_ReadDriveDetails(benchmark::State& state) {
  sim::SimulatedDisks disks(BenchScenario(), [] { return 0.0; });
  DriveReader reader(disks);
  NullSinks sinks;
  for (auto _ : state) {
    reader.ReadDriveDetails("0", sinks, sinks);
    disks.ClearEvents();
  }
  benchmark::DoNotOptimize(sinks.rows);
}
BENCHMARK(BM_ReadDriveDetails);

// The power check a tick sends before its series: one open, one request,
// one close.
void BM_CheckPowerMode(benchmark::State& state) {
  sim::SimulatedDisks disks(BenchScenario(), [] { return 0.0; });
  DriveReader reader(disks);
  for (auto _ : state) {
    benchmark::DoNotOptimize(reader.CheckPowerMode(0));
    disks.ClearEvents();
  }
}
BENCHMARK(BM_CheckPowerMode);

// A tick of a spinning drive with the check in front: its share of this
// over BM_GetDriveSummary is what the check adds to every tick.
void BM_PowerCheckThenSummary(benchmark::State& state) {
  sim::SimulatedDisks disks(BenchScenario(), [] { return 0.0; });
  DriveReader reader(disks);
  DriveSummary summary;
  for (auto _ : state) {
    if (reader.CheckPowerMode(0) == PowerMode::Active) reader.GetDriveSummary(0, summary);
    benchmark::DoNotOptimize(summary);
    disks.ClearEvents();
  }
}
BENCHMARK(BM_PowerCheckThenSummary);

// What a watch tick sends: the check and the series behind one open.
void BM_GetDriveSummaryIfAwake(benchmark::State& state) {
  sim::SimulatedDisks disks(BenchScenario(), [] { return 0.0; });
  DriveReader reader(disks);
  for (auto _ : state) {
    benchmark::DoNotOptimize(reader.GetDriveSummaryIfAwake(0));
    disks.ClearEvents();
  }
}
BENCHMARK(BM_GetDriveSummaryIfAwake);

// The simulated drive's own share: building the answer sectors.
void BM_SimulatedAnswersOnly(benchmark::State& state) {
  const sim::Scenario scenario = BenchScenario();
  const sim::SimDrive& drive = scenario.Drives.front();
  for (auto _ : state) {
    benchmark::DoNotOptimize(sim::BuildIdentifySector(drive));
    benchmark::DoNotOptimize(sim::BuildDataSector(drive, 0));
    benchmark::DoNotOptimize(sim::BuildThresholdSector(drive));
  }
}
BENCHMARK(BM_SimulatedAnswersOnly);

}  // namespace
}  // namespace halvoric

BENCHMARK_MAIN();
