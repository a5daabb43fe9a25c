// SPDX-License-Identifier: GPL-3.0-or-later
// One export of the metrics file as the timer's run makes it, over 64
// simulated drives (the storage server of scenarios/fleet.scenario sixteen
// times: hard disks, SATA SSDs, NVMe drives, a failing disk) and over the
// server's four: every drive's series and logs read, named by the drive
// database, judged, written as text and the file replaced. The database's
// own load is weighed apart, once per process. Prints the medians of five
// repetitions (wall time, the file's flush to disk included), the cost of
// each further drive, and exits 1 when an export of the 64 takes 50 ms or
// more.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "base/staged_file.h"
#include "drive/drive_database_files.h"
#include "drive/drive_logs.h"
#include "drive/drive_record.h"
#include "drive/sim/simulated_disks.h"
#include "report/prometheus_text.h"
#include "tests/base/temp_files.h"

namespace halvoric {
namespace {

constexpr double kGoalMs = 50;

// The server's drives `copies` times, numbered on.
sim::Scenario Server(unsigned copies) {
  std::ifstream in(std::string(HALVORIC_SCENARIOS) + "/fleet.scenario");
  std::stringstream text;
  text << in.rdbuf();
  sim::Scenario one = *sim::ParseScenario(text.str(), "fleet", HALVORIC_SCENARIOS);
  sim::Scenario many;
  for (unsigned c = 0; c < copies; ++c) {
    for (sim::SimDrive drive : one.Drives) {
      drive.Number += c * static_cast<unsigned>(one.Drives.size());
      many.Drives.push_back(std::move(drive));
    }
  }
  return many;
}

const std::shared_ptr<const DriveDatabase>& Database() {
  static const auto database = LoadDriveDatabase(DriveDatabasePaths());
  return database;
}

void Export(benchmark::State& state, unsigned copies) {
  sim::SimulatedDisks disks(Server(copies), [] { return 0.0; });
  DriveReader reader(disks);
  reader.UseDatabase(Database());
  const testing::TempDir folder;
  const std::string file = folder.File("halvoric.prom");
  for (auto _ : state) {
    std::vector<LabelledRecord> drives;
    for (DriveNumber n = 0; n < disks.DriveCount(); ++n) {
      DriveRecord record =
          ReadDriveRecord(reader, n, nullptr, SleepingDrive::Leave, RecordLogs::Read);
      drives.push_back({SimulatedDeviceName(n), std::move(record)});
    }
    if (!ReplaceFile(file, PrometheusText(drives), LinkRule::ReplaceName).Ok()) {
      state.SkipWithError("the file could not be written");
    }
    disks.ClearEvents();
  }
}

void BM_Export64Drives(benchmark::State& state) { Export(state, 16); }
BENCHMARK(BM_Export64Drives)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_Export4Drives(benchmark::State& state) { Export(state, 1); }
BENCHMARK(BM_Export4Drives)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_LoadDriveDatabase(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(LoadDriveDatabase(DriveDatabasePaths()));
}
BENCHMARK(BM_LoadDriveDatabase)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

class MedianReporter final : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median" &&
          !run.error_occurred) {
        milliseconds[run.run_name.function_name] =
            run.real_accumulated_time / static_cast<double>(run.iterations) * 1e3;
      }
    }
  }
  std::map<std::string, double> milliseconds;
};

}  // namespace
}  // namespace halvoric

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  halvoric::MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  const auto& ms = reporter.milliseconds;
  // A filtered run weighs nothing.
  if (!ms.contains("BM_Export64Drives") || !ms.contains("BM_Export4Drives")) return 0;
  const double many = ms.at("BM_Export64Drives");
  const bool met = many < halvoric::kGoalMs;
  std::printf("\nOne export of 64 drives: %.1f ms, of 4: %.2f ms; each further drive %.2f ms\n",
              many, ms.at("BM_Export4Drives"), (many - ms.at("BM_Export4Drives")) / 60);
  if (ms.contains("BM_LoadDriveDatabase")) {
    std::printf("The drive database's load, once per run: %.1f ms\n",
                ms.at("BM_LoadDriveDatabase"));
  }
  std::printf("Goal: 64 drives under %.0f ms: %s\n", halvoric::kGoalMs, met ? "met" : "MISSED");
  return met ? 0 : 1;
}
