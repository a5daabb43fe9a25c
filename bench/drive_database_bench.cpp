// SPDX-License-Identifier: GPL-3.0-or-later
// The drive database's cost on the drives' thread at start-up: parsing the
// installed file, then finding the entry of a drive it knows and of one it
// does not (which tries every entry).
#include <benchmark/benchmark.h>

#include "base/whole_file.h"
#include "drive/drive_database.h"

namespace halvoric {
namespace {

constexpr const char* kInstalled = "/usr/share/smartmontools/drivedb.h";

// A fresh parse each time, then the first match of `model` (none: the
// parse alone): a model is matched once per drive and whole read.
void BM_ParseAndMatch(benchmark::State& state, const char* model) {
  const Result<std::string> text = ReadWholeFile(kInstalled);
  if (!text.Ok()) {
    state.SkipWithError(text.Message.c_str());
    return;
  }
  for (auto _ : state) {
    DriveDatabase database;
    ParseDriveDatabase(*text, kInstalled, database);
    benchmark::DoNotOptimize(model != nullptr ? database.Match(model, "01.01A01")
                                              : database.Entries.data());
  }
}
BENCHMARK_CAPTURE(BM_ParseAndMatch, parse_only, nullptr)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ParseAndMatch, known, "WDC WD40EFRX-68N32N0")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ParseAndMatch, unknown, "QEMU HARDDISK")->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace halvoric

BENCHMARK_MAIN();
