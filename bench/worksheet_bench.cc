// The whole worksheet run over a typical client (30 employees), a thousand, and the largest index
// a host can address (32,767 employees), to show that time grows with the employees and memory does
// not.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <filesystem>
#include <string>

#include "platform/platform.h"
#include "state/run_state.h"
#include "support/bench_client.h"
#include "run/stages.h"
#include "worksheet/worksheet_run.h"

namespace qreport {
namespace {

long PeakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

void BM_WorksheetRun(benchmark::State& state) {
  const int employees = static_cast<int>(state.range(0));
  auto dir = testing::WriteBenchClient(employees);
  auto platform = MakePlatform({});
  for (auto _ : state) {
    RunContext ctx(*platform);
    ctx.rates_dir = dir.string();
    ctx.state.data_dir = dir.string();
    ctx.state.report_date = "063026";
    RunWorksheet(ctx);
    benchmark::DoNotOptimize(ctx.plan_totals);
  }
  state.SetItemsProcessed(state.iterations() * employees);
  state.counters["peak_rss_kB"] = static_cast<double>(PeakKilobytes());
}

BENCHMARK(BM_WorksheetRun)->Arg(30)->Arg(1000)->Arg(32767)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qreport
