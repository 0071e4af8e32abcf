#include "worksheet/worksheet_run.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "data/client_file.h"
#include "data/employee_files.h"
#include "data/errors.h"
#include "data/record_file.h"
#include "data/paths.h"
#include "data/report_writer.h"
#include "text/masks.h"
#include "worksheet/layout.h"

namespace qreport {

std::optional<WorksheetFigures> ComputeWorksheet(RunContext& ctx, std::span<WorksheetSink* const> sinks) {
  RunState& s = ctx.state;
  ReadFormulaFile(s.DataDir, ctx.missing);

  ClientFile client = ReadClientFile(s.DataDir, /*always_record2=*/false, ctx.missing);
  WorksheetFigures f;
  WageBases bases;
  if (client.has_record1) {
    s.EmployerName = client.employer_name;
    s.PayrollDate = client.payroll_date;
    f.trade_name = client.trade_name;
    f.unemployment = {client.futa_rate, client.suta_rate};
    bases.futa = client.futa_base;
    bases.suta = client.suta_base;
  }
  if (s.PayrollDate.empty()) s.PayrollDate = "013192";

  if (s.CancelRequested != 0) {
    s.CancelRequested = 0;
    return std::nullopt;
  }

  f.rates = ReadFicaRates(ctx.work_dir, ctx.missing);
  bases.social_security = f.rates.ss_base;
  EmployeeWalk walk(s.DataDir, /*with_plans=*/true, ctx.missing);
  for (WorksheetSink* sink : sinks) sink->Start(f);
  const std::string report_date = s.ReportDate;
  try {
    Employee e;
    while (walk.Next(e)) {
      // Plan amounts count for every employee of the index, with or without a line.
      for (int plan = 1; plan <= 3; ++plan) {
        f.plan_totals[plan] = AddToCents(f.plan_totals[plan], e.plan_amount_a[plan]);
      }
      std::optional<WorksheetLine> line = ComputeWorksheetLine(e, bases);
      if (line) {
        // The first page heading shows the report date as MM/DD/YY, and the forms read it so;
        // without an employee line no heading is printed and the date stays as it was.
        if (f.totals.employee_count == 0) s.ReportDate = ReportDateShown(s.ReportDate);
        AddToTotals(*line, f.totals);
        ++f.totals.employee_count;
      }
      for (WorksheetSink* sink : sinks) sink->OnEmployee(e, line ? &*line : nullptr);
    }
  } catch (const RunError&) {
    s.ReportDate = report_date;
    throw;
  }
  f.taxes = ComputeTaxFigures(f.totals, f.rates, f.unemployment);
  return f;
}

// Prints employee lines on a thread of its own. The pass hands over copies of its lines a batch at
// a time and is never more than kBatchesAhead batches ahead, so memory stays flat; the printer
// (and the writer and heading state it prints with) belong to the thread until End returns.
class WorksheetPrinting::LinePrinter {
 public:
  // Starts the thread; throws std::system_error when the system gives none.
  explicit LinePrinter(WorksheetPrinter& printer) : printer_(printer) {
    printed_.reserve(kBatchesAhead);
    thread_ = std::thread([this] { Run(); });
  }
  ~LinePrinter() {
    try {
      End(/*discard=*/true);
    } catch (...) {
    }
  }
  LinePrinter(const LinePrinter&) = delete;
  LinePrinter& operator=(const LinePrinter&) = delete;

  // Copies `line` into the batch being filled, and hands the batch over once it is full. After a
  // failed write nothing more is printed, and the lines are dropped.
  void Add(const WorksheetLine& line) {
    if (failed_.load(std::memory_order_relaxed)) return;
    WorksheetLine& copy = filling_.lines.emplace_back(line);
    copy.key = {};
    copy.name = {};
    filling_.text_sizes.emplace_back(line.key.size(), line.name.size());
    filling_.text.append(line.key).append(line.name);
    if (filling_.lines.size() == kBatchLines) HandOver();
  }

  // Hands over the last batch and waits until every line is printed (or, with `discard`, drops
  // what has not been printed yet), then ends the thread. Returns the error number of the write
  // that stopped the printing, if one did; rethrows anything else the printing threw, unless
  // discarding.
  std::optional<int> End(bool discard) {
    if (!thread_.joinable()) return error_;
    if (!discard) HandOver();
    {
      const std::lock_guard lock(mutex_);
      ending_ = true;
      if (discard) waiting_.clear();
    }
    changed_.notify_all();
    thread_.join();
    if (other_ && !discard) std::rethrow_exception(other_);
    return error_;
  }

 private:
  static constexpr std::size_t kCacheLine = 64;

  struct Batch {
    std::vector<WorksheetLine> lines;                            // their keys and names are in `text`
    std::vector<std::pair<std::size_t, std::size_t>> text_sizes;  // each line's key and name sizes
    std::string text;                                            // every line's key, then its name

    void Clear() {
      lines.clear();
      text_sizes.clear();
      text.clear();
    }
  };

  // Waits while kBatchesAhead batches are waiting, then hands the filled batch over and takes a
  // printed one back to fill (no allocation once there are enough of them).
  void HandOver() {
    if (filling_.lines.empty()) return;
    Batch next;
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [this] { return waiting_.size() < kBatchesAhead || stopped_; });
      waiting_.push_back(std::move(filling_));
      if (!printed_.empty()) {
        next = std::move(printed_.back());
        printed_.pop_back();
      }
    }
    changed_.notify_all();
    next.Clear();
    filling_ = std::move(next);
  }

  void Run() {
    try {
      PrintWhatComes();
    } catch (...) {
      // Only the waiting itself could throw (the printing's own failures are caught below); the
      // pass must then not wait for room this thread will never make.
      other_ = std::current_exception();
      failed_ = true;
      try {
        const std::lock_guard lock(mutex_);  // so that the pass's wait cannot miss it
        stopped_ = true;
      } catch (...) {
        stopped_ = true;
      }
    }
    changed_.notify_all();
  }

  void PrintWhatComes() {
    for (;;) {
      Batch batch;
      {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return !waiting_.empty() || ending_; });
        if (waiting_.empty()) return;
        batch = std::move(waiting_.front());
        waiting_.pop_front();
      }
      changed_.notify_all();
      if (failed_.load(std::memory_order_relaxed)) continue;
      try {
        Print(batch);
      } catch (const RunError& error) {
        error_ = error.number();
        failed_ = true;
      } catch (...) {
        other_ = std::current_exception();
        failed_ = true;
      }
      const std::lock_guard lock(mutex_);
      if (printed_.size() < kBatchesAhead) printed_.push_back(std::move(batch));  // room reserved
    }
  }

  void Print(const Batch& batch) {
    WorksheetPrinter& printer = printer_;
    std::string_view text = batch.text;
    for (std::size_t i = 0; i < batch.lines.size(); ++i) {
      WorksheetLine line = batch.lines[i];
      const auto [key_size, name_size] = batch.text_sizes[i];
      line.key = text.substr(0, key_size);
      line.name = text.substr(key_size, name_size);
      text.remove_prefix(key_size + name_size);
      printer.EmployeeLine(line);
    }
  }

  WorksheetPrinter& printer_;
  // The pass's own, on cache lines of their own: the thread never touches them, so the pass's
  // writes for every line do not take the lines the thread reads away from it.
  alignas(kCacheLine) Batch filling_;
  alignas(kCacheLine) std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Batch> waiting_;  // with printed_ and ending_, guarded by mutex_
  std::vector<Batch> printed_;  // batches to fill again
  bool ending_ = false;
  // Set by the thread once, when a write fails; read by the pass for every line.
  alignas(kCacheLine) std::atomic<bool> failed_{false};
  std::atomic<bool> stopped_{false};  // the thread is gone before End
  // Set by the thread; read by End after the join.
  std::optional<int> error_;
  std::exception_ptr other_;
  std::thread thread_;
};

WorksheetPrinting::WorksheetPrinting(RunState& state, std::filesystem::path report)
    : state_(state), report_(std::move(report)) {}

WorksheetPrinting::~WorksheetPrinting() = default;

void WorksheetPrinting::Fail(const RunError& error) {
  if (!write_error_) write_error_ = error.number();
  printer_.reset();
  out_.reset();
}

void WorksheetPrinting::Start(const WorksheetFigures& figures) {
  if (out_ || write_error_) return;
  try {
    out_ = std::make_unique<ReportWriter>(report_);
    state_.PrintDevice = "P";
    trade_name_ = figures.trade_name;
  } catch (const RunError& error) {
    Fail(error);
  }
}

void WorksheetPrinting::MakePrinter() {
  if (printer_ || !out_) return;
  heading_state_ = std::make_unique<RunState>(state_);
  printer_ = std::make_unique<WorksheetPrinter>(*out_, *heading_state_, trade_name_);
}

void WorksheetPrinting::OnEmployee(const Employee&, const WorksheetLine* line) {
  if (line == nullptr || !out_) return;
  if (!printer_) MakePrinter();
  // Tried once: after it, either the lines go to the thread or lines_in_pass_ grows past the mark.
  if (!lines_ && lines_in_pass_ == kLinesBeforeThread) {
    try {
      lines_ = std::make_unique<LinePrinter>(*printer_);
    } catch (const std::system_error&) {
      // No thread to be had: the lines are printed here, in the pass.
    }
  }
  if (lines_) {
    lines_->Add(*line);
    return;
  }
  ++lines_in_pass_;
  try {
    printer_->EmployeeLine(*line);
  } catch (const RunError& error) {
    Fail(error);
  }
}

void WorksheetPrinting::EndLinePrinter(bool discard) {
  if (!lines_) return;
  const std::unique_ptr<LinePrinter> lines = std::move(lines_);
  if (const std::optional<int> error = lines->End(discard)) Fail(RunError(*error));
}

void WorksheetPrinting::Finish(const WorksheetFigures& figures) {
  EndLinePrinter(/*discard=*/false);
  Start(figures);
  MakePrinter();
  if (printer_) {
    try {
      printer_->TotalsAndRecap(figures.totals, figures.taxes);
      out_->Close();
    } catch (const RunError& error) {
      Fail(error);
    }
  }
  printer_.reset();
  out_.reset();
  if (write_error_) throw WriteError(*write_error_, "cannot write the worksheet");
}

bool WorksheetPrinting::Discard() {
  EndLinePrinter(/*discard=*/true);
  const bool started = out_ || write_error_;
  printer_.reset();
  if (out_) {
    try {
      out_->Close();
    } catch (const RunError&) {
    }
    out_.reset();
  }
  if (!started) return true;
  try {
    OutputFile(report_).Close();
    return true;
  } catch (const RunError&) {
    return false;
  }
}

std::filesystem::path ReportOutputPath(const RunContext& ctx) {
  if (!ctx.report_path.empty()) return ctx.report_path;
  return ResolveHostPath(ctx.state.DataDir, kReportFileName);
}

std::optional<WorksheetFigures> RunQuarterlyWorksheet(RunContext& ctx, std::span<WorksheetSink* const> sinks) {
  WorksheetPrinting printing(ctx.state, ReportOutputPath(ctx));
  std::vector<WorksheetSink*> all{&printing};
  all.insert(all.end(), sinks.begin(), sinks.end());
  std::optional<WorksheetFigures> figures;
  try {
    figures = ComputeWorksheet(ctx, all);
  } catch (const RunError&) {
    // The report holds no part of a worksheet that could not be read.
    if (!printing.Discard()) ctx.report_write_failed = true;
    throw;
  }
  if (!figures) return figures;
  printing.Finish(*figures);
  ctx.plan_totals = figures->plan_totals;
  return figures;
}

}  // namespace qreport
