#include "platform/posix/print_utility.h"

#include <cups/cups.h>
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
  PrintCommand parsed;
  std::size_t last = command.rfind(',');
  if (last == std::string_view::npos || last == 0) return parsed;
  std::size_t second = command.rfind(',', last - 1);
  if (second == std::string_view::npos || second == 0) return parsed;
  std::size_t third = command.rfind(',', second - 1);
  if (third == std::string_view::npos) return parsed;
  parsed.report_path = std::string(command.substr(0, third));
  parsed.printer = std::string(command.substr(third + 1, second - third - 1));
  parsed.destination_kind = std::string(command.substr(second + 1, last - second - 1));
  parsed.options = std::string(command.substr(last + 1));
  parsed.ok = true;
  return parsed;
}

std::vector<std::string> ListCupsDestinations() {
  cups_dest_t* dests = nullptr;
  int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) {
    std::string name = dests[i].name;
    if (dests[i].instance != nullptr) name += std::string("/") + dests[i].instance;
    names.push_back(std::move(name));
  }
  cupsFreeDests(count, dests);
  return names;
}

std::string SubmitToCups(const std::string& destination, const std::string& pdf) {
  // One connection for the whole submission, so that a server that is not there is told apart
  // from a printer it does not have: the library's own reason for both is a bare "No such file or
  // directory" when it is asked to print.
  http_t* http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, 30000, nullptr);
  if (http == nullptr) {
    return std::string("cannot reach the print server ") + cupsServer() + " (" + cupsLastErrorString() + ")";
  }
  // A printer's name holds no slash, so the first one starts the instance.
  std::size_t slash = destination.find('/');
  std::string name = destination.substr(0, slash);
  std::string instance = slash == std::string::npos ? "" : destination.substr(slash + 1);
  // The destination's saved options (lpoptions) go with the job, as every CUPS client sends them.
  cups_dest_t* dest = cupsGetNamedDest(http, name.c_str(), instance.empty() ? nullptr : instance.c_str());
  int job = 0;
  if (dest != nullptr) {
    std::string title = pdf.substr(pdf.rfind('/') + 1);
    job = cupsPrintFile2(http, dest->name, pdf.c_str(), title.c_str(), dest->num_options, dest->options);
    cupsFreeDests(1, dest);
  }
  std::string reason = job > 0 ? "" : cupsLastErrorString();
  httpClose(http);
  if (job <= 0 && reason.empty()) reason = "the server took no job";
  return reason;
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
  PrintCommand parsed = ParsePrintCommand(command);
  if (!parsed.ok) return "not a print command: " + std::string(command);
  bool preview = parsed.options.find("/ZM") != std::string::npos;
  bool to_cups = parsed.destination_kind == kCupsDestination && !parsed.printer.empty();

  std::string pdf = PdfPathFor(parsed.report_path);
  if (!services.render_pdf) return "this build has no PDF renderer; " + parsed.report_path + " was left as it is";
  std::string error;
  if (!services.render_pdf(parsed.report_path, pdf, error)) return "cannot render " + parsed.report_path + " to PDF: " + error;
  note("print: wrote " + pdf);
  std::string problem;
  if (to_cups) {
    if (std::string reason = services.submit(parsed.printer, pdf); !reason.empty()) {
      problem = "CUPS could not print to " + parsed.printer + ": " + reason;
    }
  }
  if (preview && services.has_viewer && services.has_viewer()) services.start({"xdg-open", pdf});
  return problem;
}

PrintServices SystemPrintServices(
    std::function<bool(const std::string& report, const std::string& pdf, std::string& error)> render_pdf) {
  PrintServices s;
  s.render_pdf = std::move(render_pdf);
  s.list_destinations = &ListCupsDestinations;
  s.submit = &SubmitToCups;
  s.start = [](const std::vector<std::string>& argv) {
    // Through a shell that puts the program in the background, so no child is left to wait for.
    std::vector<std::string> shell = {"/bin/sh", "-c", "\"$@\" >/dev/null 2>&1 &", "sh"};
    shell.insert(shell.end(), argv.begin(), argv.end());
    pid_t pid = Spawn(shell);
    if (pid >= 0) WaitFor(pid);
  };
  s.has_viewer = [] { return HasDisplay() && OnPath("xdg-open"); };
  s.note = [](const std::string& line) {
    std::string text = line + "\n";
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
  };
  return s;
}

}  // namespace qreport
