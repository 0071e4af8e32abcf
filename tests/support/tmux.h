// A tmux server of the test's own, for tests that run the qreport command on a terminal: start a
// command in a detached pane, read the screen, type keys.
#pragma once

#include <chrono>
#include <string>
#include <thread>

#include "support/fixture.h"

namespace qreport::testing {

// Single quotes for the shell.
inline std::string Quoted(const std::string& text) {
  std::string q = "'";
  for (char c : text) {
    if (c == '\'') q += "'\\''";
    else q += c;
  }
  return q + "'";
}

// A tmux server of our own (its own socket, no configuration file) for one test.
class Tmux {
 public:
  explicit Tmux(const TempDir& work) : work_(work), socket_((work / "tmux.sock").string()) {}
  ~Tmux() { Run("kill-server"); }
  Tmux(const Tmux&) = delete;
  Tmux& operator=(const Tmux&) = delete;

  int Run(const std::string& args) {
    // Outside any tmux the test itself may run in, so that one is never touched.
    return RunCommand("env -u TMUX tmux -S " + Quoted(socket_) + " -f /dev/null " + args + " </dev/null",
                      work_ / ".tmux.out", work_ / ".tmux.err");
  }
  std::string Output() const { return ReadFile(work_ / ".tmux.out") + ReadFile(work_ / ".tmux.err"); }

  // Starts `command` in a detached pane of the given size.
  bool Start(const std::string& command, int cols, int rows) {
    return Run("new-session -d -s run -x " + std::to_string(cols) + " -y " + std::to_string(rows) + " " +
               Quoted(command)) == 0;
  }
  std::string Screen() {
    Run("capture-pane -p -t run");
    return ReadFile(work_ / ".tmux.out");
  }
  // Waits until the pane shows `text`.
  bool WaitFor(const std::string& text, double seconds = 30) {
    auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < until) {
      if (Screen().find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
  }
  void Keys(const std::string& key) { Run("send-keys -t run " + key); }
  void Type(const std::string& text) { Run("send-keys -t run -l " + Quoted(text)); }

 private:
  const TempDir& work_;
  std::string socket_;
};

// Whether tmux can start a pane here at all.
inline bool TmuxWorks(const TempDir& work, std::string& why) {
  if (RunCommand("command -v tmux >/dev/null 2>&1") != 0) {
    why = "tmux is not installed";
    return false;
  }
  Tmux probe(work);
  if (!probe.Start("sleep 30", 80, 24)) {
    why = "tmux cannot start a session: " + probe.Output();
    return false;
  }
  return true;
}

}  // namespace qreport::testing
