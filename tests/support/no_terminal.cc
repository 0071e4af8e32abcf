// The test binary never waits for a person: when it is started from a terminal, its standard
// input is taken from /dev/null before any test runs, so the module's own platform (behind the
// exports and the qreport command the tests start) finds no terminal and draws no dialog there.
#include <cstdio>

#include <unistd.h>

namespace {

const bool kInputDetached = [] {
  if (::isatty(STDIN_FILENO) != 0) return std::freopen("/dev/null", "r", stdin) != nullptr;
  return false;
}();

}  // namespace
