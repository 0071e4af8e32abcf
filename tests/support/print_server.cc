#include "support/print_server.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "data/client_writer.h"
#include "support/fixture.h"

namespace qreport::testing {
namespace {

namespace fs = std::filesystem;

// The machine is shared and may be loaded: a server gets this long to come up or print a job.
constexpr auto kBudget = std::chrono::seconds(60);
constexpr auto kPoll = std::chrono::milliseconds(50);

// Where a CUPS program is installed; the administration programs live in sbin, which a CI
// environment need not have on its PATH.
std::string Program(const std::string& name) {
  for (const char* dir : {"/usr/sbin/", "/usr/bin/", "/sbin/"}) {
    std::string path = dir + name;
    if (::access(path.c_str(), X_OK) == 0) return path;
  }
  return "";
}

// Whether something accepts connections on the unix socket `path`.
bool Answers(const std::string& path) {
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return ok;
}

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

}  // namespace

bool PrintServerRequired() { return ::geteuid() == 0; }

PrivatePrintServer::PrivatePrintServer(fs::path dir) : dir_(std::move(dir)) {}

PrivatePrintServer::~PrivatePrintServer() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  for (auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10); std::chrono::steady_clock::now() < end;
       std::this_thread::sleep_for(kPoll)) {
    if (::waitpid(pid_, nullptr, WNOHANG) == pid_) return;
  }
  ::kill(pid_, SIGKILL);
  ::waitpid(pid_, nullptr, 0);
}

bool PrivatePrintServer::Start(std::string& why) {
  const std::string cupsd = Program("cupsd");
  const std::string exec_helper = "/usr/lib/cups/daemon/cups-exec";
  if (cupsd.empty() || ::access(exec_helper.c_str(), X_OK) != 0) {
    why = "cupsd is not installed (scripts/bootstrap test installs cups-daemon)";
    return false;
  }
  const std::string d = dir_.string();
  if (Socket().size() >= sizeof(sockaddr_un{}.sun_path)) {
    why = "the folder's path is too long for a unix socket: " + Socket();
    return false;
  }
  for (const char* sub : {"conf", "spool/tmp", "state", "cache", "log", "bin/daemon", "bin/backend"}) {
    fs::create_directories(dir_ / sub);
  }
  // The server's own program folder: the helper it starts every job process through, and the
  // backend of the queues. A backend that only its owner may run is run as root, which can
  // write into this folder.
  fs::create_symlink(exec_helper, dir_ / "bin/daemon/cups-exec");
  WriteBytes(dir_ / "bin/backend/capture",
             "#!/bin/sh\n"
             "# Without arguments a backend lists the devices it finds: none.\n"
             "[ $# -eq 0 ] && exit 0\n"
             "out=${DEVICE_URI#capture:}\n"
             "if [ -n \"$6\" ]; then cat \"$6\"; else cat; fi > \"$out.part\" && mv \"$out.part\" \"$out\"\n");
  fs::permissions(dir_ / "bin/backend/capture", fs::perms::owner_all, fs::perm_options::replace);
  WriteBytes(dir_ / "conf/cupsd.conf",
             "Listen " + Socket() +
                 "\n"
                 "LogLevel info\n"
                 "Browsing No\n"
                 "WebInterface No\n"
                 "DefaultAuthType None\n"
                 "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                 "<Location /admin>\n  Order allow,deny\n  Allow all\n</Location>\n"
                 "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n");
  WriteBytes(dir_ / "conf/cups-files.conf", "ServerRoot " + d + "/conf\nServerBin " + d + "/bin\nStateDir " + d +
                                                "/state\nCacheDir " + d + "/cache\nRequestRoot " + d +
                                                "/spool\nTempDir " + d + "/spool/tmp\nErrorLog " + d +
                                                "/log/error_log\nAccessLog " + d + "/log/access_log\nPageLog " + d +
                                                "/log/page_log\nPrintcap " + d + "/printcap\n");

  // Everything the child needs is made before the fork: it only opens files and starts cupsd.
  const std::string out_path = d + "/cupsd.out", conf = d + "/conf/cupsd.conf", files = d + "/conf/cups-files.conf";
  pid_ = ::fork();
  if (pid_ < 0) {
    why = std::string("cannot start cupsd: ") + std::strerror(errno);
    return false;
  }
  if (pid_ == 0) {
    // Should the test itself die, the server goes with it.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    int out = ::open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int in = ::open("/dev/null", O_RDONLY);
    if (out < 0 || in < 0) ::_exit(126);
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(out, 2);
    ::execl(cupsd.c_str(), "cupsd", "-f", "-c", conf.c_str(), "-s", files.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  for (auto end = std::chrono::steady_clock::now() + kBudget; std::chrono::steady_clock::now() < end;
       std::this_thread::sleep_for(kPoll)) {
    if (Answers(Socket())) return true;
    if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
      pid_ = -1;
      why = "cupsd stopped at once: " + ReadFile(dir_ / "cupsd.out") + LogTail();
      return false;
    }
  }
  why = "cupsd did not answer on " + Socket() + ": " + LogTail();
  return false;
}

bool PrivatePrintServer::AddQueue(const std::string& name, std::string& why) {
  std::string command = Quote(Program("lpadmin")) + " -h " + Quote(Socket()) + " -p " + Quote(name) +
                        " -E -v " + Quote("capture:" + Output(name).string());
  fs::path said = dir_ / ("lpadmin-" + name + ".txt");
  if (RunCommand(command, said, said) == 0) return true;
  why = "lpadmin could not add " + name + ": " + ReadFile(said) + LogTail();
  return false;
}

std::optional<std::string> PrivatePrintServer::WaitForOutput(const std::string& queue) const {
  for (auto end = std::chrono::steady_clock::now() + kBudget; std::chrono::steady_clock::now() < end;
       std::this_thread::sleep_for(kPoll)) {
    if (fs::exists(Output(queue))) return ReadFile(Output(queue));
  }
  return std::nullopt;
}

std::string PrivatePrintServer::LogTail() const {
  std::string log = ReadFile(dir_ / "log/error_log");
  return log.size() > 4000 ? log.substr(log.size() - 4000) : log;
}

}  // namespace qreport::testing
