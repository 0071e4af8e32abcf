#include "platform/posix/print_utility.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace qreport {
namespace {

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// Starts argv[0] (looked up in PATH) with its standard output sent to standard error, so a
// program's chatter never mixes with what the command prints. Returns the process id or -1.
pid_t Spawn(const std::vector<std::string>& argv) {
  if (argv.empty()) return -1;
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, STDERR_FILENO, STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  pid_t pid = -1;
  int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? pid : -1;
}

int WaitFor(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return 127;
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}

bool OnPath(const char* program) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return false;
  std::string_view rest(path);
  while (true) {
    std::size_t colon = rest.find(':');
    std::string dir(rest.substr(0, colon));
    if (dir.empty()) dir = ".";
    std::string candidate = dir + "/" + program;
    if (::access(candidate.c_str(), X_OK) == 0) return true;
    if (colon == std::string_view::npos) return false;
    rest.remove_prefix(colon + 1);
  }
}

bool HasDisplay() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* v = std::getenv(name);
    if (v != nullptr && *v != '\0') return true;
  }
  return false;
}

}  // namespace

PrintCommand ParsePrintCommand(std::string_view command) {
  PrintCommand c;
  std::size_t last = command.rfind(',');
  if (last == std::string_view::npos || last == 0) return c;
  std::size_t second = command.rfind(',', last - 1);
  if (second == std::string_view::npos || second == 0) return c;
  std::size_t third = command.rfind(',', second - 1);
  if (third == std::string_view::npos) return c;
  c.report_path = std::string(command.substr(0, third));
  c.printer = std::string(command.substr(third + 1, second - third - 1));
  c.destination_kind = std::string(command.substr(second + 1, last - second - 1));
  c.options = std::string(command.substr(last + 1));
  c.ok = true;
  return c;
}

std::vector<std::string> ParseDestinationList(std::string_view output) {
  std::vector<std::string> names;
  while (!output.empty()) {
    std::size_t end = output.find('\n');
    std::string_view line = TrimBlanks(output.substr(0, end));
    output = end == std::string_view::npos ? std::string_view() : output.substr(end + 1);
    // A name is one word; anything else is not a destination line.
    if (!line.empty() && line.find_first_of(" \t") == std::string_view::npos) names.emplace_back(line);
  }
  return names;
}

std::vector<std::string> ListCupsDestinations() {
  if (!OnPath("lpstat")) return {};
  std::FILE* pipe = ::popen("lpstat -e 2>/dev/null </dev/null", "r");
  if (pipe == nullptr) return {};
  std::string output;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  int status = ::pclose(pipe);
  if (status != 0) return {};
  return ParseDestinationList(output);
}

std::string InteractivePickerReply(std::string_view cups_destination, bool preview) {
  std::string reply = "QREPORT*";
  if (cups_destination.empty()) {
    reply += "PDF*";
    reply += kPdfFileDestination;
  } else {
    reply += cups_destination;
    reply += '*';
    reply += kCupsDestination;
  }
  reply += preview ? "*Y" : "*N";
  return reply;
}

std::string PdfPathFor(std::string_view report_path) {
  std::size_t slash = report_path.rfind('/');
  std::size_t dot = report_path.rfind('.');
  std::string pdf(report_path);
  if (dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash)) pdf.resize(dot);
  return pdf + ".pdf";
}

std::string RunPrintUtility(std::string_view command, const PrintServices& services) {
  auto note = [&](const std::string& line) {
    if (services.note) services.note(line);
  };
  PrintCommand c = ParsePrintCommand(command);
  if (!c.ok) return "not a print command: " + std::string(command);
  bool preview = c.options.find("/ZM") != std::string::npos;
  bool to_cups = c.destination_kind == kCupsDestination && !c.printer.empty();

  std::string pdf = PdfPathFor(c.report_path);
  if (!services.render_pdf) return "this build has no PDF renderer; " + c.report_path + " was left as it is";
  std::string error;
  if (!services.render_pdf(c.report_path, pdf, error)) return "cannot render " + c.report_path + " to PDF: " + error;
  note("print: wrote " + pdf);
  std::string problem;
  if (to_cups) {
    if (services.installed && !services.installed("lp")) {
      problem = "lp is not installed (install cups-client); the PDF is " + pdf;
    } else if (int status = services.run({"lp", "-d", c.printer, pdf}); status != 0) {
      problem = "lp could not print to " + c.printer + " (exit status " + std::to_string(status) + ")";
    }
  }
  if (preview && services.has_viewer && services.has_viewer()) services.start({"xdg-open", pdf});
  return problem;
}

PrintServices SystemPrintServices(
    std::function<bool(const std::string& report, const std::string& pdf, std::string& error)> render_pdf) {
  PrintServices s;
  s.render_pdf = std::move(render_pdf);
  s.run = [](const std::vector<std::string>& argv) {
    pid_t pid = Spawn(argv);
    return pid < 0 ? 127 : WaitFor(pid);
  };
  s.start = [](const std::vector<std::string>& argv) {
    // Through a shell that puts the program in the background, so no child is left to wait for.
    std::vector<std::string> shell = {"/bin/sh", "-c", "\"$@\" >/dev/null 2>&1 &", "sh"};
    shell.insert(shell.end(), argv.begin(), argv.end());
    pid_t pid = Spawn(shell);
    if (pid >= 0) WaitFor(pid);
  };
  s.has_viewer = [] { return HasDisplay() && OnPath("xdg-open"); };
  s.installed = [](const std::string& program) { return OnPath(program.c_str()); };
  s.note = [](const std::string& line) {
    std::string text = line + "\n";
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
  };
  return s;
}

}  // namespace qreport
