// What the pages show of a client's pre-filing checks and of its Schedule B. Both come from the
// report's figures computed as `qreport check` computes them, writing nothing: the dialog played
// from the events of the last report written from these pages (before there is one, closed
// with the saved entries and its first values), then the checks. A client's result is kept
// until a file of its folder or the rates folder changes, or a new report's events arrive, so
// that listing many clients again costs a look at their folders.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "check/findings.h"
#include "escp/cairo/filing_sheet.h"
#include "forms/current_return.h"
#include "forms/schedule_b.h"
#include "platform/posix/answers.h"
#include "state/run_state.h"

namespace qreport::web {

struct ClientCheck {
  std::vector<Finding> findings;
  // What a run asked for Schedule B does: kWritten when it goes with the return, else why not.
  ScheduleBOutcome schedule_b = ScheduleBOutcome::kNotAsked;
  std::optional<ScheduleB> schedule_b_figures;  // present when it goes with the return
  // The current return of the same figures and its filing sheet, as `qreport return` makes
  // them; absent when the figures have no form (the short route, a cancelled dialog).
  std::optional<CurrentReturn> current_return;
  std::optional<escp::FilingSheet> return_sheet;
};

class ClientChecks {
 public:
  // The rates and letterhead files are read from `rates_dir` (empty: the current directory).
  ClientChecks(std::string rates_dir, std::string report_kind);
  ClientChecks(const ClientChecks&) = delete;
  ClientChecks& operator=(const ClientChecks&) = delete;

  // The checks of the client in `folder` (a canonical client folder). Never throws but
  // std::bad_alloc.
  std::shared_ptr<const ClientCheck> Get(const std::filesystem::path& folder);

  // The inputs Get's result for `folder` is computed from, as one text that changes when any of
  // them does: the folder's files' sizes and times but the run's outputs, the rates folder's two
  // files, and the answers the dialog is closed with.
  std::string Inputs(const std::filesystem::path& folder);
  // The checks of `folder` computed now and kept nowhere, for a caller that keeps its own summary
  // of them. Never throws but std::bad_alloc.
  std::shared_ptr<const ClientCheck> Compute(const std::filesystem::path& folder);

  // The dialog events of the report just written for `folder` from these pages.
  void SetAnswers(const std::filesystem::path& folder, std::vector<Answer> events);

 private:
  // The events a check of `folder` plays: the page's, else its answers file's (then named in
  // `answers_file`, which the run checks strictly), else none.
  std::vector<Answer> EventsFor(const std::string& folder, std::string* answers_file = nullptr);
  std::shared_ptr<const ClientCheck> Compute(const std::string& folder, std::vector<Answer> events,
                                             const std::string& answers_file = {});

  struct Entry {
    std::string inputs;  // the files the result was computed from, with their sizes and times
    std::shared_ptr<const ClientCheck> check;
  };
  std::string rates_dir_, report_kind_;
  std::mutex mutex_;
  std::map<std::string, Entry> cache_;
  std::map<std::string, std::vector<Answer>> answers_;
};

}  // namespace qreport::web
