// The printer-text renderer on the demo client's whole form-path report (worksheet, Form 941,
// voucher: 4 pages): the interpreter alone, in bytes per second, and the whole render to PDF and
// to PNG pages, in report pages per second.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "data/record_file.h"
#include "escp/cairo/fonts.h"
#include "escp/cairo/render.h"
#include "escp/interpreter.h"

namespace qreport::escp {
namespace {

const std::string& Report() {
  static const std::string bytes = [] {
    return ReadWholeFile(std::filesystem::path(QREPORT_GOLDEN_DIR) / "escp" / "demo_report.txt");
  }();
  return bytes;
}

const FontSet& Fonts() {
  static const FontSet fonts;
  return fonts;
}

void BM_InterpretReport(benchmark::State& state) {
  const std::string& report = Report();
  std::size_t pages = 0;
  for (auto _ : state) {
    Document doc = Interpret(report, Fonts());
    pages += doc.pages.size();
    benchmark::DoNotOptimize(doc);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * report.size()));
  state.counters["pages/s"] = benchmark::Counter(static_cast<double>(pages), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_InterpretReport);

void BM_RenderReportToPdf(benchmark::State& state) {
  std::size_t pages = 0;
  for (auto _ : state) {
    Document doc = Interpret(Report(), Fonts());
    std::ostringstream pdf;
    WritePdf(doc, Fonts(), pdf);
    pages += doc.pages.size();
    benchmark::DoNotOptimize(pdf);
  }
  state.counters["pages/s"] = benchmark::Counter(static_cast<double>(pages), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RenderReportToPdf)->Unit(benchmark::kMillisecond);

void BM_RenderReportToPng(benchmark::State& state) {
  const double dpi = static_cast<double>(state.range(0));
  std::size_t pages = 0;
  for (auto _ : state) {
    Document doc = Interpret(Report(), Fonts());
    for (const Page& page : doc.pages) {
      std::ostringstream png;
      WritePng(RasterizePage(page, Fonts(), dpi), png);
      benchmark::DoNotOptimize(png);
    }
    pages += doc.pages.size();
  }
  state.counters["pages/s"] = benchmark::Counter(static_cast<double>(pages), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RenderReportToPng)->Arg(100)->Arg(150)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qreport::escp
