// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of cleaning a title for a search when a status page hands over a long
// run of spaces: a body may be up to 32 MiB, and the clean-up runs on the
// user-interface thread.
#include <benchmark/benchmark.h>

#include "text/title_text.h"

namespace {

void NormalizeRunOfSpaces(benchmark::State& state) {
  const Text title = u"Night" + Text(size_t(state.range(0)), u' ') + u"Song";
  for (auto _ : state) {
    const Text cleaned = NormalizeForSearch(title);
    if (cleaned != u"Night Song") state.SkipWithError("the spaces were not collapsed to one");
    benchmark::DoNotOptimize(cleaned.data());
  }
}
BENCHMARK(NormalizeRunOfSpaces)->Arg(300000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
