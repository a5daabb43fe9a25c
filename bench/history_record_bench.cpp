// SPDX-License-Identifier: GPL-3.0-or-later
// The cost of keeping one reading in the temperature history, with a week
// of readings every 30 seconds already in the file and a reduction every
// ten minutes of readings, as the program runs after a week. The baseline
// is what the program already writes at every health check: the last
// readings' file, replaced whole.
#include <benchmark/benchmark.h>

#include "monitor/health_record.h"
#include "monitor/history_store.h"
#include "tests/base/temp_files.h"

namespace halvoric {
namespace {

constexpr std::int64_t kStart = 1'800'000'000;

HistoryReading Reading(std::int64_t i) {
  return {"WD-WCC4E1234567", "WDC WD40EFRX-68N32N0",
          kStart + 30 * i,   static_cast<int>(30 + i % 15),
          PowerMode::Active, {0, 0, 0, 0}};
}

void BM_RecordReading(benchmark::State& state) {
  // On the machine's temporary file system, as the settings folder would be
  // on the user's disk.
  testing::TempDir folder;
  Result<HistoryStore> store = HistoryStore::Open(folder.File(HistoryFileName));
  if (!store.Ok()) {
    state.SkipWithError(store.Message.c_str());
    return;
  }
  std::int64_t i = 0;
  for (; i < HistoryStore::kRawSeconds / 30; ++i) (void)store->Record(Reading(i));
  for (auto _ : state) {
    if (!store->Record(Reading(i++)).Ok()) state.SkipWithError("not recorded");
  }
}
BENCHMARK(BM_RecordReading)->Unit(benchmark::kMicrosecond);

void BM_SaveHealthRecords(benchmark::State& state) {
  testing::TempDir folder;
  HealthRecords records;
  for (std::uint8_t id : {1, 5, 9, 12, 187, 194, 197, 198, 199}) {
    records["WD-WCC4E1234567"].Attributes.push_back({id, 1234, Status::Ok});
  }
  const std::string path = folder.File(HealthRecordFileName);
  for (auto _ : state) {
    if (!SaveHealthRecords(path, records).Ok()) state.SkipWithError("not saved");
  }
}
BENCHMARK(BM_SaveHealthRecords)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace halvoric

BENCHMARK_MAIN();
