// The whole worksheet run over the largest index a host can address (32,767 employees), and over
// a small one, to show that time grows with the employees and memory does not.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <filesystem>
#include <string>

#include "data/client_writer.h"
#include "platform/platform.h"
#include "state/run_state.h"
#include "worksheet/worksheet_run.h"

namespace qreport {
namespace {

std::filesystem::path WriteFixture(int employees) {
  auto dir = std::filesystem::temp_directory_path() / ("qreport-bench-" + std::to_string(employees));
  if (std::filesystem::exists(dir / "EMPLOYEE.idx")) return dir;
  ClientFolderSpec spec;
  ClientSpec client;
  client.employer_name = "BENCHMARK EMPLOYER";
  client.payroll_date = "063026";
  client.futa_rate = "0.6";
  client.futa_base = "7000";
  client.suta_rate = "2.7";
  client.suta_base = "12000";
  spec.client = client;
  for (int i = 0; i < employees; ++i) {
    EmployeeSpec e;
    e.key = "E" + std::to_string(i);
    e.name = "EMPLOYEE NUMBER " + std::to_string(i);
    e.qtd = {1'000'000 + i, 5'000, 76'500, 150'000, 40'000};
    e.ytd = {2'000'000 + 2 * i, 10'000, 153'000, 300'000, 80'000};
    e.exempt_code = static_cast<std::uint8_t>(i % 10 == 0 ? 9 : 0);
    e.plans = {1'000, 2'000, 0};
    spec.employees.push_back(e);
  }
  WriteClientFolder(dir, spec);
  WriteRatesFile(dir, {"6.2", "6.2", "184500", "1.45", "1.45", "0"});
  return dir;
}

long PeakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

void BM_WorksheetRun(benchmark::State& state) {
  const int employees = static_cast<int>(state.range(0));
  auto dir = WriteFixture(employees);
  auto platform = MakePlatform({});
  for (auto _ : state) {
    RunContext ctx(*platform);
    ctx.work_dir = dir.string();
    ctx.state.DataDir = dir.string();
    ctx.state.ReportDate = "063026";
    RunQuarterlyWorksheet(ctx);
    benchmark::DoNotOptimize(ctx.plan_totals);
  }
  state.SetItemsProcessed(state.iterations() * employees);
  state.counters["peak_rss_kB"] = static_cast<double>(PeakKilobytes());
}

BENCHMARK(BM_WorksheetRun)->Arg(1000)->Arg(32767)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qreport
