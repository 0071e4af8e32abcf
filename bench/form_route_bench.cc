// One form-path run (worksheet, Form 941, payment voucher) of the largest client a host can
// address, against the floor any such run has: reading every byte of the client's record files
// once and writing as many bytes as the report has. The ratio of the two is what the formatting
// and the computing cost above plain input and output; peak memory shows that it stays flat in
// the number of employees. The run prints the worksheet's lines on a second thread, so the CPU
// column is the whole process's (both threads), and user_ms and system_ms split it.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "run/report_run.h"
#include "run/stages.h"
#include "state/run_state.h"
#include "support/bench_client.h"

namespace qreport {
namespace {

namespace fs = std::filesystem;

long PeakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// The process's user and system time so far, in milliseconds: the two columns of the CPU time, to
// tell the work of the run from the kernel's reading and writing for it.
struct ProcessTimes {
  double user_ms = 0;
  double system_ms = 0;
  double pass_ms = 0;  // the calling thread's, user and system: the pass's thread in a run
};

ProcessTimes TimesNow() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  rusage thread{};
  getrusage(RUSAGE_THREAD, &thread);
  auto ms = [](const timeval& t) { return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3; };
  return {ms(usage.ru_utime), ms(usage.ru_stime), ms(thread.ru_utime) + ms(thread.ru_stime)};
}

// Sets the counters user_ms, system_ms and pass_ms: per iteration, since `start`.
void CountTimes(benchmark::State& state, const ProcessTimes& start) {
  const ProcessTimes end = TimesNow();
  state.counters["user_ms"] = benchmark::Counter(end.user_ms - start.user_ms, benchmark::Counter::kAvgIterations);
  state.counters["system_ms"] = benchmark::Counter(end.system_ms - start.system_ms, benchmark::Counter::kAvgIterations);
  state.counters["pass_ms"] = benchmark::Counter(end.pass_ms - start.pass_ms, benchmark::Counter::kAvgIterations);
}

// The form route after its dialog, as the report run calls it (no dialog, no hand-off, the report
// written in place): one pass over the employees prints the worksheet's lines and adds up the
// forms' totals, then the totals, the form and the voucher are printed.
void RunFormRouteOnce(const fs::path& dir, Platform& platform) {
  RunContext ctx(platform);
  StartRun(ctx, dir.string(), dir.string());
  ReportFigures figures;
  ComputeAndPrintFormRouteParts(ctx, figures);
}

void BM_FormRouteRun(benchmark::State& state) {
  const int employees = static_cast<int>(state.range(0));
  fs::path dir = testing::WriteBenchClient(employees);
  auto platform = MakePlatform({});
  const ProcessTimes start = TimesNow();
  for (auto _ : state) RunFormRouteOnce(dir, *platform);
  CountTimes(state, start);
  state.SetItemsProcessed(state.iterations() * employees);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fs::file_size(dir / "report.txt")));
  state.counters["peak_rss_kB"] = static_cast<double>(PeakKilobytes());
}

// Reads every record file of the client once and writes as many bytes as its report has, in
// 64 KiB pieces through the system calls: what a run cannot do without. BM_RawIoFloor reads
// first and then opens (and empties) its output; BM_RawIoFloorOutputFirst opens it first, as a
// run must, since its lines are written while the records are read. The order matters on a file
// system that empties a file only once the write-back of its old content is done: the later the
// emptying, the less of that is left to wait for.
void RawIoFloor(benchmark::State& state, bool output_first) {
  const int employees = static_cast<int>(state.range(0));
  fs::path dir = testing::WriteBenchClient(employees);
  auto platform = MakePlatform({});
  RunFormRouteOnce(dir, *platform);
  const std::size_t report_bytes = fs::file_size(dir / "report.txt");
  const fs::path out = dir / "floor.out";
  std::vector<char> buffer(64 * 1024, 'x');
  const ProcessTimes start = TimesNow();
  for (auto _ : state) {
    int fd = output_first ? ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644) : -1;
    for (const char* name : {"CLIENT", "EMPLOYEE.idx", "EMPLOYEE.fil", "EMPLOYEE.PLANS", "PRLIAB", "FICA.RAT", "prep"}) {
      int in = ::open((dir / name).c_str(), O_RDONLY);
      if (in < 0) continue;
      while (::read(in, buffer.data(), buffer.size()) > 0) {
      }
      ::close(in);
    }
    if (!output_first) fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    for (std::size_t left = report_bytes; left > 0;) {
      std::size_t n = std::min(left, buffer.size());
      if (::write(fd, buffer.data(), n) <= 0) break;
      left -= n;
    }
    ::close(fd);
  }
  CountTimes(state, start);
  state.SetItemsProcessed(state.iterations() * employees);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(report_bytes));
}

void BM_RawIoFloor(benchmark::State& state) { RawIoFloor(state, /*output_first=*/false); }
void BM_RawIoFloorOutputFirst(benchmark::State& state) { RawIoFloor(state, /*output_first=*/true); }

BENCHMARK(BM_FormRouteRun)->Arg(1000)->Arg(32767)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawIoFloor)->Arg(32767)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawIoFloorOutputFirst)->Arg(32767)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qreport
