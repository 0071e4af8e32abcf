// The renderer's memory on large input: 100 MB of printer text drawn to a PDF, in a child
// process so that its peak resident size is the render's alone. The target is to stay under
// 100 MB resident whatever the input holds: the interpreter reads a block and draws a page at a
// time, keeps the first diagnostics only, and bounds what one page keeps.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <streambuf>
#include <string>

#include "data/record_file.h"
#include "escp/cairo/fonts.h"
#include "escp/cairo/render.h"

namespace qreport::escp {
namespace {

constexpr std::size_t kInputBytes = 100u << 20;

// A stream that throws its bytes away, counting them.
class CountingBuffer final : public std::streambuf {
 public:
  std::size_t count = 0;

 protected:
  std::streamsize xsputn(const char*, std::streamsize n) override {
    count += static_cast<std::size_t>(n);
    return n;
  }
  int_type overflow(int_type c) override {
    ++count;
    return c;
  }
};

std::string Unit(int kind) {
  switch (kind) {
    case 0:  // the demo report, over and over: some 15,000 real pages
      return ReadWholeFile(std::filesystem::path(QREPORT_GOLDEN_DIR) / "escp" / "demo_report.txt");
    case 1: return std::string(4096, '\x01');  // a control byte without meaning: a diagnostic each
    default: {  // text and line graphics in turn, each byte an item of its own
      std::string unit;
      for (int i = 0; i < 2048; ++i) unit += "A\xb0";
      return unit;
    }
  }
}

// Renders 100 MB of `kind` in a child; returns the child's peak resident size in bytes, or 0.
double PeakResidentBytes(int kind, const std::filesystem::path& input) {
  {
    std::ofstream out(input, std::ios::binary | std::ios::trunc);
    std::string unit = Unit(kind);
    for (std::size_t written = 0; written < kInputBytes; written += unit.size()) out << unit;
  }
  int ends[2];
  if (::pipe(ends) != 0) return 0;
  pid_t child = ::fork();
  if (child == 0) {
    ::close(ends[0]);
    long peak_kb = 0;
    try {
      FontSet fonts;
      std::FILE* in = std::fopen(input.c_str(), "rb");
      CountingBuffer buffer;
      std::ostream pdf(&buffer);
      RenderStream(in, fonts, &pdf);
      std::fclose(in);
      rusage usage{};
      ::getrusage(RUSAGE_SELF, &usage);
      peak_kb = usage.ru_maxrss;
    } catch (...) {
    }
    if (::write(ends[1], &peak_kb, sizeof peak_kb) != sizeof peak_kb) ::_exit(1);
    ::_exit(0);
  }
  ::close(ends[1]);
  long peak_kb = 0;
  if (::read(ends[0], &peak_kb, sizeof peak_kb) != sizeof peak_kb) peak_kb = 0;
  ::close(ends[0]);
  ::waitpid(child, nullptr, 0);
  std::filesystem::remove(input);
  return static_cast<double>(peak_kb) * 1024;
}

void BM_RenderHundredMegabytes(benchmark::State& state) {
  std::filesystem::path input = std::filesystem::temp_directory_path() / ("qreport-bench-" + std::to_string(::getpid()));
  double peak = 0;
  for (auto _ : state) peak = PeakResidentBytes(static_cast<int>(state.range(0)), input);
  state.counters["peak_resident_MB"] = peak / (1 << 20);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kInputBytes));
}
// 0: real pages, 1: control bytes, 2: text and graphics in turn.
BENCHMARK(BM_RenderHundredMegabytes)->Arg(0)->Arg(1)->Arg(2)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace qreport::escp
