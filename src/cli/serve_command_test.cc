// qreport serve as a command: its start line, its answer on the address it prints, a clean stop
// on SIGTERM, and the usage and folder errors before it listens.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <httplib.h>

#include <cstdio>
#include <regex>
#include <string>

#include "support/fixture.h"

namespace qreport {
namespace {

using testing::TempDir;

TEST(ServeCommand, PrintsItsAddressServesAndStopsOnSigterm) {
  TempDir root;
  int out[2];
  ASSERT_EQ(::pipe(out), 0);
  pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    ::dup2(out[1], 1);
    ::close(out[0]);
    ::close(out[1]);
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    ::execl(QREPORT_CLI, "qreport", "serve", "--root", root.str().c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(out[1]);
  std::FILE* lines = ::fdopen(out[0], "r");
  char buffer[512] = {};
  ASSERT_NE(std::fgets(buffer, sizeof buffer, lines), nullptr);
  std::string line = buffer;
  std::smatch m;
  ASSERT_TRUE(std::regex_match(line, m, std::regex(R"(qreport: serving (.*) at http://127\.0\.0\.1:(\d+)/\?token=([0-9a-f]{32})\n)")))
      << line;
  EXPECT_EQ(m[1].str(), root.str());
  httplib::Client client("127.0.0.1", std::stoi(m[2].str()));
  auto page = client.Get("/?token=" + m[3].str());
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 200);
  EXPECT_NE(page->body.find("<script src=\"/app.js\""), std::string::npos);
  EXPECT_EQ(client.Get("/")->status, 403);

  ::kill(pid, SIGTERM);
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  std::fclose(lines);
}

TEST(ServeCommand, RefusesBeforeListening) {
  TempDir work;
  struct Case {
    const char* args;
    int status;
    const char* err;
  } cases[] = {
      {"serve", 2, "qreport: --root is missing\n"},
      {"serve --root missing", 1, "qreport: no such folder: missing\n"},
      {"serve --root . --rates-dir missing", 1, "qreport: no such rates folder: missing\n"},
      {"serve --root . --port 70000", 2, "--port"},
      {"serve --root . --port x", 2, "--port"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    testing::CommandOutcome o = testing::RunQreport(work, c.args);
    EXPECT_EQ(o.status, c.status);
    EXPECT_NE(o.err.find(c.err), std::string::npos) << o.err;
    EXPECT_EQ(o.out, "");
  }
}

}  // namespace
}  // namespace qreport
