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

#include "escp/cairo/fonts.h"

namespace qreport {
namespace fs = std::filesystem;
namespace {

using Clock = std::chrono::steady_clock;

// Set by SIGINT while a batch runs. A signal handler can reach nothing else, which is why this
// one flag lives outside the batch.
volatile sig_atomic_t interrupt_requested = 0;

extern "C" void NoteInterrupt(int) { interrupt_requested = 1; }

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
    row = ClientRow{};
    row.path = spec.folder.string();
    row.folder = spec.folder.filename().string();
    row.status = ClientStatus::kFailed;
    row.reason = WIFEXITED(wait_status) && WEXITSTATUS(wait_status) == 0 ? "its run gave no result"
                                                                        : ProcessEndReason(wait_status);
  }
  if (row.status == ClientStatus::kFailed && !messages.empty()) row.reason += " (" + messages + ")";
  return row;
}

}  // namespace

std::string ProcessEndReason(int wait_status) {
  if (WIFSIGNALED(wait_status)) {
    int sig = WTERMSIG(wait_status);
    return "its run crashed (signal " + std::to_string(sig) + ", " + strsignal(sig) + ")";
  }
  if (WIFEXITED(wait_status)) return "its run ended with status " + std::to_string(WEXITSTATUS(wait_status));
  return "its run ended in an unknown way";
}

std::vector<fs::path> ClientFoldersOf(const fs::path& root, const fs::path& except) {
  std::vector<fs::path> folders;
  std::error_code ec;
  fs::path skip = except.empty() ? fs::path() : fs::weakly_canonical(except, ec);
  for (const fs::directory_entry& entry : fs::directory_iterator(root, ec)) {
    std::string name = entry.path().filename().string();
    if (name.starts_with('.') || !entry.is_directory(ec)) continue;
    if (!skip.empty() && fs::weakly_canonical(entry.path(), ec) == skip) continue;
    folders.push_back(entry.path());
  }
  std::sort(folders.begin(), folders.end());
  return folders;
}

BatchResult RunBatch(const BatchOptions& options, const std::function<void(const BatchProgress&)>& progress) {
  BatchResult result;
  const std::size_t total = options.clients.size();
  result.rows.resize(total);
  for (std::size_t i = 0; i < total; ++i) {
    result.rows[i].path = options.clients[i].string();
    result.rows[i].folder = options.clients[i].filename().string();
    result.rows[i].reason = "the batch was interrupted before it started";
  }

  // The fonts are found once, before the first fork, so that no job's process pays for it.
  std::optional<escp::FontSet> fonts;
  std::string fonts_error;
  if (options.render) {
    try {
      fonts.emplace();
    } catch (const escp::RenderError& e) {
      fonts_error = e.what();
    }
  }

  interrupt_requested = 0;
  struct sigaction on_interrupt {}, previous {};
  on_interrupt.sa_handler = NoteInterrupt;
  sigemptyset(&on_interrupt.sa_mask);
  on_interrupt.sa_flags = 0;  // no restart: poll returns at once
  ::sigaction(SIGINT, &on_interrupt, &previous);

  const Clock::time_point start = Clock::now();
  const pid_t batch_pid = ::getpid();
  const std::size_t jobs = static_cast<std::size_t>(std::max(1, options.jobs));
  std::vector<RunningJob> running;
  std::size_t next = 0;
  BatchProgress state;
  state.total = total;
  Clock::time_point last_report = start;
  auto report = [&] {
    state.elapsed = Seconds(Clock::now() - start);
    last_report = Clock::now();
    if (progress) progress(state);
  };
  report();

  auto make_job = [&](std::size_t i) {
    ClientJob job;
    job.folder = options.clients[i];
    job.out_dir = options.out_dir;
    job.rates_dir = options.rates_dir;
    job.render = options.render;
    job.skip_done = options.skip_done;
    job.schedule_b = options.schedule_b;
    job.fonts = fonts ? &*fonts : nullptr;
    return job;
  };
  auto finish = [&](std::size_t index, ClientRow row) {
    if (options.render && !fonts && row.status == ClientStatus::kDone) {
      row.status = ClientStatus::kFailed;
      row.reason = "its PDF cannot be drawn: " + fonts_error;
    }
    ++state.done;
    if (row.status == ClientStatus::kFailed) ++state.failed;
    result.rows[index] = std::move(row);
  };

  while (next < total || !running.empty()) {
    if (interrupt_requested) result.interrupted = next < total;
    while (!interrupt_requested && next < total && running.size() < jobs) {
      int fds[2];
      if (::pipe2(fds, O_CLOEXEC) != 0) break;
      std::fflush(nullptr);  // nothing buffered here may be written twice
      ClientJob job = make_job(next);
      pid_t pid = ::fork();
      if (pid == 0) {
        ::close(fds[0]);
        RunJobProcess(job, fds[1], batch_pid);
      }
      ::close(fds[1]);
      if (pid < 0) {
        ::close(fds[0]);
        ClientRow row;
        row.path = job.folder.string();
        row.folder = job.folder.filename().string();
        row.status = ClientStatus::kFailed;
        row.reason = std::string("its process cannot be started: ") + std::strerror(errno);
        finish(next++, std::move(row));
        continue;
      }
      running.push_back({pid, fds[0], next++, {}, Clock::now()});
    }
    if (running.empty()) {
      if (interrupt_requested || next >= total) break;
      continue;
    }

    std::vector<pollfd> polls;
    for (const RunningJob& job : running) polls.push_back({job.fd, POLLIN, 0});
    int ready = ::poll(polls.data(), polls.size(), 250);
    if (ready > 0) {
      for (std::size_t k = polls.size(); k-- > 0;) {
        if (polls[k].revents == 0) continue;
        RunningJob& job = running[k];
        char buffer[4096];
        ssize_t n = ::read(job.fd, buffer, sizeof buffer);
        if (n > 0) {
          job.output.append(buffer, static_cast<std::size_t>(n));
          continue;
        }
        if (n < 0 && errno == EINTR) continue;
        ::close(job.fd);
        int wait_status = 0;
        while (::waitpid(job.pid, &wait_status, 0) < 0 && errno == EINTR) {
        }
        ClientRow row = RowOfEndedJob(job, make_job(job.index), wait_status);
        row.seconds = Seconds(Clock::now() - job.start);
        finish(job.index, std::move(row));
        running.erase(running.begin() + static_cast<std::ptrdiff_t>(k));
        report();
      }
    }
    if (Clock::now() - last_report >= std::chrono::milliseconds(250)) report();
  }
  if (interrupt_requested && next < total) result.interrupted = true;
  ::sigaction(SIGINT, &previous, nullptr);
  report();
  return result;
}

}  // namespace qreport
