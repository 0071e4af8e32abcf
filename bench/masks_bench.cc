// Cost of printing money amounts through a mask, against the C library's "%.2f" as the yardstick.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "text/masks.h"

namespace {

// A few thousand amounts: pseudo-random whole cents between -1e7 and 1e7 units, the same every run.
const std::vector<double>& MoneyValues() {
  static const std::vector<double> values = [] {
    std::vector<double> v;
    v.reserve(4096);
    std::uint64_t state = 0x2545F4914F6CDD1Du;
    for (int i = 0; i < 4096; ++i) {
      state = state * 6364136223846793005u + 1442695040888963407u;
      // Mix the magnitudes so small and large amounts both occur.
      const std::int64_t span = std::int64_t{1000} << (2 * (i % 15));  // 1e3 .. ~2.7e11 cents
      const std::int64_t limit = span < 1000000000 ? span : 1000000000;  // at most 1e7 units
      const std::int64_t cents = static_cast<std::int64_t>(state >> 11) % (2 * limit + 1) - limit;
      v.push_back(static_cast<double>(cents) / 100.0);
    }
    return v;
  }();
  return values;
}

void BM_MaskFormatAmount(benchmark::State& state) {
  const std::vector<double>& values = MoneyValues();
  for (auto _ : state) {
    for (double x : values) {
      std::string text = qreport::FormatAmount("#,###,###.##", x);
      benchmark::DoNotOptimize(text);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(values.size()));
}
BENCHMARK(BM_MaskFormatAmount);

void BM_MaskSnprintfBaseline(benchmark::State& state) {
  const std::vector<double>& values = MoneyValues();
  char buf[64];
  for (auto _ : state) {
    for (double x : values) {
      int n = std::snprintf(buf, sizeof buf, "%.2f", x);
      benchmark::DoNotOptimize(n);
      benchmark::DoNotOptimize(buf);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(values.size()));
}
BENCHMARK(BM_MaskSnprintfBaseline);

}  // namespace
