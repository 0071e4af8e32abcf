// Test fixtures for the forms: a form-path run over a client folder written by the test, and
// readers that take printed pages apart into rows. Used by the forms' tests only.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "data/client_writer.h"
#include "data/employee_files.h"
#include "run/report_figures.h"
#include "run/report_run.h"
#include "run/stages.h"
#include "support/fixture.h"
#include "support/golden_clients.h"
#include "support/recording_platform.h"

namespace qreport::testing {

// A form-path run over a client folder written from `spec` (rates and letterhead beside it), with
// the dialog's answers set in the run state directly.
struct FormRouteRun {
  TempDir dir;
  RecordingPlatform platform;
  RunContext ctx{platform};
  std::string report;

  explicit FormRouteRun(const ClientFolderSpec& spec,
                       const std::array<std::string, 6>& rates = {"6.2", "6.2", "94200", "1.45", "1.45", "0"}) {
    WriteClientFolder(dir / "client", spec);
    WriteRatesFile(dir.path(), rates);
    WriteLetterheadFile(dir.path(), {"SMITH PAYROLL SERVICE", "1 ELM STREET", "OAKTOWN, CA 94601", "", ""});
    ctx.rates_dir = dir.str();
    ctx.state.data_dir = (dir / "client").string();
    ReadClientIntoState(ctx);
    ctx.state.report_date = ctx.state.payroll_date;
  }
  void SetMonths(std::vector<Cents> months) {
    for (std::size_t m = 0; m < months.size(); ++m) ctx.state.month_liability[m + 1] = months[m];
  }
  // What the form route does once its dialog has ended, by the same call as the report run (no
  // copy of its order here, so a golden sees what a run prints).
  void Run() {
    ReportFigures figures;
    ComputeAndPrintFormRouteParts(ctx, figures);
    report = ReadFile(dir / "client" / "report.txt");
  }
};

// The rows of each page, split at the form feeds, each without its CR LF (no empty row after the
// last CR LF).
inline std::vector<std::vector<std::string>> Pages(const std::string& text) {
  std::vector<std::string> rows = Rows(text);
  if (rows.back().empty()) rows.pop_back();
  std::vector<std::vector<std::string>> pages;
  for (std::string& row : rows) {
    if (pages.empty() || (!row.empty() && row[0] == '\f')) pages.emplace_back();
    pages.back().push_back(std::move(row));
  }
  return pages;
}

// How far rows move the paper, in 1/216 inch: 27 per row, less every reverse feed.
inline int Advance(const std::vector<std::string>& rows) {
  int advance = 27 * static_cast<int>(rows.size());
  for (const std::string& row : rows) {
    for (std::size_t i = 0; i + 2 < row.size(); ++i) {
      if (row[i] == '\x1b' && row[i + 1] == 'j') advance -= static_cast<unsigned char>(row[i + 2]);
    }
  }
  return advance;
}

}  // namespace qreport::testing
