// SPDX-License-Identifier: GPL-3.0-or-later
// Reading an element with many attributes: the time must grow with their
// number, not with its square (a hand-made config.xml is read at start-up).
#include <benchmark/benchmark.h>

#include <string>

#include "settings/xml_doc.h"

namespace halvoric {
namespace {

std::string ElementWithAttributes(std::int64_t count) {
  std::string text = "<Tessivar><AutoRun";
  for (std::int64_t i = 0; i < count; ++i) text += " a" + std::to_string(i) + "='" + "v'";
  return text + ">-1</AutoRun></Tessivar>";
}

void BM_ReadAttributes(benchmark::State& state) {
  const std::string text = ElementWithAttributes(state.range(0));
  for (auto _ : state) {
    TXmlDoc doc;
    benchmark::DoNotOptimize(doc.LoadFromText(text).Ok());
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ReadAttributes)
    ->RangeMultiplier(2)
    ->Range(12500, 100000)
    ->Arg(25000)
    ->Arg(50000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace
}  // namespace halvoric

BENCHMARK_MAIN();
