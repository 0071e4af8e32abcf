#include "batch/batch_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <optional>

#include "data/paths.h"
#include "escp/cairo/fonts.h"

namespace qreport {
namespace fs = std::filesystem;
namespace {

using Clock = std::chrono::steady_clock;

// Set by SIGINT while a batch runs. A signal handler can reach nothing else, which is why this
// one flag lives outside the batch.
volatile sig_atomic_t interrupt_requested = 0;

extern "C" void NoteInterrupt(int) { interrupt_requested = 1; }

// The most bytes of a job's messages that its failed row's reason repeats.
constexpr std::size_t kReasonMessageBytes = 1000;

// The line a job's process ends its output with; everything before it is what its run said.
constexpr std::string_view kRowMarker = "@row ";

struct RunningJob {
  pid_t pid = -1;
  int fd = -1;
  std::size_t index = 0;
  std::string output;
  Clock::time_point start;
};

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

void WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

// In the job's process: no terminal, its output into the pipe, killed with the batch, and out of
// the terminal's process group so that Ctrl-C lets it finish.
[[noreturn]] void RunJobProcess(const ClientJob& job, int out_fd, pid_t batch_pid) {
  ::setpgid(0, 0);
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (::getppid() != batch_pid) ::_exit(127);
  ::signal(SIGINT, SIG_DFL);
  ::signal(SIGPIPE, SIG_IGN);
  int null_fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  if (null_fd >= 0) ::dup2(null_fd, 0);
  ::dup2(out_fd, 1);
  ::dup2(out_fd, 2);
  int status = 0;
  try {
    ClientRow row = RunClientJob(job);
    std::fflush(stderr);
    WriteAll(1, "\n" + std::string(kRowMarker) + RowToJsonLine(row) + "\n");
  } catch (const std::bad_alloc&) {
    status = 3;
  } catch (...) {
    status = 4;
  }
  ::_exit(status);
}

// What the run said before its row: its message lines, joined for a reason.
std::string MessagesOf(std::string_view output) {
  std::string joined;
  std::size_t at = 0;
  while (at < output.size()) {
    std::size_t end = output.find('\n', at);
    if (end == std::string_view::npos) end = output.size();
    std::string_view line = output.substr(at, end - at);
    if (!line.empty() && !line.starts_with(kRowMarker)) {
      if (!joined.empty()) joined += "; ";
      joined += line;
    }
    at = end + 1;
  }
  return joined;
}

// The row of a client whose run gave no row of its own.
ClientRow FailedRow(const fs::path& folder, std::string reason) {
  ClientRow row;
  row.path = folder.string();
  row.folder = folder.filename().string();
  row.status = ClientStatus::kFailed;
  row.reason = std::move(reason);
  return row;
}

ClientRow RowOfEndedJob(const RunningJob& job, const ClientJob& spec, int wait_status) {
  ClientRow row;
  std::size_t marker = job.output.rfind("\n" + std::string(kRowMarker));
  bool parsed = false;
  if (WIFEXITED(wait_status) && WEXITSTATUS(wait_status) == 0 && marker != std::string::npos) {
    std::string_view line = std::string_view(job.output).substr(marker + 1 + kRowMarker.size());
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    parsed = RowFromJsonLine(line, row);
  }
  std::string messages = MessagesOf(std::string_view(job.output).substr(0, marker == std::string::npos ? job.output.size() : marker));
  if (!parsed) {
    row = FailedRow(spec.folder, WIFEXITED(wait_status) && WEXITSTATUS(wait_status) == 0
                                     ? "its run gave no result"
                                     : ProcessEndReason(wait_status));
  }
  if (messages.size() > kReasonMessageBytes) {
    messages.resize(kReasonMessageBytes);
    messages += "...";
  }
  if (row.status == ClientStatus::kFailed && !messages.empty()) row.reason += " (" + messages + ")";
  return row;
}


// SIGINT noted in interrupt_requested while it lives, the handler before it put back after.
class InterruptWatch {
 public:
  InterruptWatch() {
    interrupt_requested = 0;
    struct sigaction on_interrupt {};
    on_interrupt.sa_handler = NoteInterrupt;
    sigemptyset(&on_interrupt.sa_mask);
    on_interrupt.sa_flags = 0;  // no restart: poll returns at once
    ::sigaction(SIGINT, &on_interrupt, &previous_);
  }
  ~InterruptWatch() { ::sigaction(SIGINT, &previous_, nullptr); }
  InterruptWatch(const InterruptWatch&) = delete;
  InterruptWatch& operator=(const InterruptWatch&) = delete;

 private:
  struct sigaction previous_ {};
};

// One batch as it runs: the clients not yet started, the jobs running with what they have
// written so far, the rows of those that ended, and the progress shown.
class Batch {
 public:
  Batch(const BatchOptions& options, const std::function<void(const BatchProgress&)>& progress)
      : options_(options),
        progress_(progress),
        total_(options.clients.size()),
        jobs_(static_cast<std::size_t>(std::max(1, options.jobs))) {
    result_.rows.resize(total_);
    for (std::size_t i = 0; i < total_; ++i) {
      result_.rows[i].path = options.clients[i].string();
      result_.rows[i].folder = options.clients[i].filename().string();
      result_.rows[i].reason = "the batch was interrupted before it started";
    }
    state_.total = total_;
  }

  BatchResult Run() {
    FindFonts();
    {
      InterruptWatch watch;
      start_ = last_report_ = Clock::now();
      Report();
      while (next_ < total_ || !running_.empty()) {
        if (interrupt_requested) result_.interrupted = next_ < total_;
        StartJobs();
        if (running_.empty()) {
          if (interrupt_requested || next_ >= total_) break;
          continue;
        }
        CollectOutput();
        if (Clock::now() - last_report_ >= std::chrono::milliseconds(250)) Report();
      }
      if (interrupt_requested && next_ < total_) result_.interrupted = true;
    }
    Report();
    return std::move(result_);
  }

 private:
  // The fonts are found once, before the first fork, so that no job's process pays for it.
  void FindFonts() {
    if (!options_.render && !options_.current_return) return;
    try {
      fonts_.emplace();
    } catch (const escp::RenderError& e) {
      fonts_error_ = e.what();
    }
  }

  ClientJob JobFor(std::size_t i) const {
    ClientJob job;
    job.folder = options_.clients[i];
    job.out_dir = options_.out_dir;
    job.rates_dir = options_.rates_dir;
    job.form = options_.form;
    job.allow_zero_rates = options_.allow_zero_rates;
    job.render = options_.render;
    job.skip_done = options_.skip_done;
    job.schedule_b = options_.schedule_b;
    job.current_return = options_.current_return;
    job.fonts = fonts_ ? &*fonts_ : nullptr;
    return job;
  }

  void Report() {
    state_.elapsed = Seconds(Clock::now() - start_);
    last_report_ = Clock::now();
    if (progress_) progress_(state_);
  }

  void Finish(std::size_t index, ClientRow row) {
    if ((options_.render || options_.current_return) && !fonts_ && row.status == ClientStatus::kDone) {
      row.status = ClientStatus::kFailed;
      row.reason = "its PDF cannot be drawn: " + fonts_error_;
    }
    ++state_.done;
    if (row.status == ClientStatus::kFailed) ++state_.failed;
    result_.rows[index] = std::move(row);
  }

  // Forks the next clients' processes until `jobs_` run, unless Ctrl-C came.
  void StartJobs() {
    while (!interrupt_requested && next_ < total_ && running_.size() < jobs_) {
      int fds[2];
      if (::pipe2(fds, O_CLOEXEC) != 0) break;
      std::fflush(nullptr);  // nothing buffered here may be written twice
      ClientJob job = JobFor(next_);
      pid_t pid = ::fork();
      if (pid == 0) {
        ::close(fds[0]);
        RunJobProcess(job, fds[1], batch_pid_);
      }
      ::close(fds[1]);
      if (pid < 0) {
        ::close(fds[0]);
        Finish(next_++, FailedRow(job.folder, std::string("its process cannot be started: ") + std::strerror(errno)));
        continue;
      }
      running_.push_back({pid, fds[0], next_++, {}, Clock::now()});
    }
  }

  // Waits up to a quarter of a second for the running jobs' output, reads what came, and
  // ends the jobs whose output closed.
  void CollectOutput() {
    std::vector<pollfd> polls;
    for (const RunningJob& job : running_) polls.push_back({job.fd, POLLIN, 0});
    if (::poll(polls.data(), polls.size(), 250) <= 0) return;
    for (std::size_t k = polls.size(); k-- > 0;) {
      if (polls[k].revents == 0) continue;
      RunningJob& job = running_[k];
      char buffer[4096];
      ssize_t n = ::read(job.fd, buffer, sizeof buffer);
      if (n > 0) {
        job.output.append(buffer, static_cast<std::size_t>(n));
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      EndJob(k);
    }
  }

  // The job's output is closed: its process is reaped and its row taken.
  void EndJob(std::size_t k) {
    RunningJob& job = running_[k];
    ::close(job.fd);
    int wait_status = 0;
    while (::waitpid(job.pid, &wait_status, 0) < 0 && errno == EINTR) {
    }
    ClientRow row = RowOfEndedJob(job, JobFor(job.index), wait_status);
    row.seconds = Seconds(Clock::now() - job.start);
    Finish(job.index, std::move(row));
    running_.erase(running_.begin() + static_cast<std::ptrdiff_t>(k));
    Report();
  }

  const BatchOptions& options_;
  const std::function<void(const BatchProgress&)>& progress_;
  const std::size_t total_;
  const std::size_t jobs_;
  const pid_t batch_pid_ = ::getpid();
  std::optional<escp::FontSet> fonts_;
  std::string fonts_error_;
  BatchResult result_;
  BatchProgress state_;
  std::vector<RunningJob> running_;
  std::size_t next_ = 0;
  Clock::time_point start_, last_report_;
};
}  // namespace

std::string ProcessEndReason(int wait_status) {
  if (WIFSIGNALED(wait_status)) {
    int sig = WTERMSIG(wait_status);
    return "its run crashed (signal " + std::to_string(sig) + ", " + strsignal(sig) + ")";
  }
  if (WIFEXITED(wait_status)) return "its run ended with status " + std::to_string(WEXITSTATUS(wait_status));
  return "its run ended in an unknown way";
}

std::vector<fs::path> ClientFoldersOf(const fs::path& root, const fs::path& except,
                                      std::vector<fs::path>* not_clients) {
  std::vector<fs::path> folders, others;
  std::error_code ec;
  fs::path skip = except.empty() ? fs::path() : fs::weakly_canonical(except, ec);
  // Stepped with an error code: a folder that fails part way ends the listing, not the batch.
  for (fs::directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::directory_entry& entry = *it;
    std::string name = entry.path().filename().string();
    std::error_code entry_ec;
    if (name.starts_with('.') || !entry.is_directory(entry_ec)) continue;
    if (!skip.empty() && fs::weakly_canonical(entry.path(), entry_ec) == skip) continue;
    // A folder that can be read and has no client file is no client (an empty one, the output
    // folder of another batch); one that cannot be read is kept, and its row says so.
    if (FolderReadProblem(entry.path()).empty() && !HasClientFile(entry.path())) {
      others.push_back(entry.path());
      continue;
    }
    folders.push_back(entry.path());
  }
  std::sort(folders.begin(), folders.end());
  std::sort(others.begin(), others.end());
  if (not_clients != nullptr) *not_clients = std::move(others);
  return folders;
}

BatchResult RunBatch(const BatchOptions& options, const std::function<void(const BatchProgress&)>& progress) {
  return Batch(options, progress).Run();
}

}  // namespace qreport
