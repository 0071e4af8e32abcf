// A batch: the report runs of many client folders, N at a time, each in a child process of its
// own, so that one client's crash, hang-up or failed write cannot take down or corrupt another's
// outputs. Ctrl-C stops the starting of new clients; the running ones finish.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "batch/client_job.h"

namespace qreport {

struct BatchOptions {
  std::vector<std::filesystem::path> clients;
  std::filesystem::path out_dir;  // empty: each client's outputs beside its folder
  std::string rates_dir;          // empty: each client's by the one rule (ClientJob::rates_dir)
  int form = 0;                   // 941 or 944 for every client; 0: each dialog's choice
  bool allow_zero_rates = false;  // run form-route clients without usable rates
  int jobs = 1;                   // clients at a time, at least 1
  bool render = false;
  bool skip_done = false;
  bool schedule_b = false;  // also Schedule B of each semiweekly depositor's Form 941
  bool current_return = false;  // also each client's current return: its JSON and filing sheet
};

// Where a batch is, for a progress display.
struct BatchProgress {
  std::size_t done = 0;    // finished, failed and skipped clients
  std::size_t total = 0;
  std::size_t failed = 0;
  double elapsed = 0;      // seconds since the batch started
};

struct BatchResult {
  std::vector<ClientRow> rows;  // one per client, in the order given
  bool interrupted = false;     // Ctrl-C came before every client had started
  // --root: the sub-folders left out as no client's (no client file), as given.
  std::vector<std::string> not_clients;
};

// Runs the batch. `progress` (may be empty) is called after each client and about four times a
// second while clients run. While it runs, SIGINT only stops new clients from starting; the
// handler it had before is put back at the end.
BatchResult RunBatch(const BatchOptions& options, const std::function<void(const BatchProgress&)>& progress);

// The client folders of `root`: its sub-folders in name order, hidden ones and `except` left
// out, and those without a client file (HasClientFile) left out into `not_clients` (when given),
// in name order. A sub-folder that cannot be read is kept: its job says why it fails.
std::vector<std::filesystem::path> ClientFoldersOf(const std::filesystem::path& root,
                                                   const std::filesystem::path& except = {},
                                                   std::vector<std::filesystem::path>* not_clients = nullptr);

// The reason given for a job's process that did not end normally: "its run crashed (signal 11,
// Segmentation fault)" or "its run ended with status 3", from a waitpid status.
std::string ProcessEndReason(int wait_status);

}  // namespace qreport
