#include "support/fixture.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

#include <unistd.h>

#include "platform/files.h"

namespace qreport::testing {

TempDir::TempDir() {
  path_ = CreateTemporaryFolderIn(std::filesystem::temp_directory_path(), "qreport-test-");
  if (path_.empty()) throw std::runtime_error("cannot make a temporary folder");
}

TempDir::~TempDir() {
  std::error_code ec;
  // Give back write permission that a test took away, so everything can be removed.
  for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
  }
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

ClientSpec PlainClient(std::string payroll_date) {
  ClientSpec c;
  c.employer_name = "ACME TOOL AND DIE CO";
  c.trade_name = "ACME TOOLS";
  c.address = "12 MAIN STREET";
  c.payroll_date = std::move(payroll_date);
  c.futa_rate = "0.8";
  c.futa_base = "7000";
  c.suta_rate = "2.7";
  c.suta_base = "8000";
  c.ein = "12-3456789";
  c.city_line = "SPRINGFIELD, IL 62704";
  return c;
}

EmployeeSpec PlainEmployee(std::string key, Cents quarter_wages, Cents year_wages) {
  EmployeeSpec e;
  e.key = key;
  e.name = "EMPLOYEE " + key;
  e.qtd[kWages] = quarter_wages;
  e.ytd[kWages] = year_wages;
  return e;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

std::string Visible(std::string_view bytes) {
  static const char* kHex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    if (c == 27) out += "\\e";
    else if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n\n";
    else if (c == '\\') out += "\\\\";
    else if (c < 32 || c > 126) {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

}  // namespace

std::string CompareGolden(std::string_view name, std::string_view actual) {
  std::filesystem::path golden = std::filesystem::path(QREPORT_GOLDEN_DIR) / std::string(name);
  const char* update = std::getenv("UPDATE_GOLDEN");
  if (update != nullptr && std::string(update) == "1") {
    std::filesystem::create_directories(golden.parent_path());
    WriteBytes(golden, actual);
    return "";
  }
  std::string expected = ReadFile(golden);
  if (expected == actual) return "";
  std::filesystem::path actual_path = golden;
  actual_path += ".actual";
  WriteBytes(actual_path, actual);

  std::vector<std::string> want = Lines(Visible(expected));
  std::vector<std::string> got = Lines(Visible(actual));
  std::ostringstream diff;
  diff << "golden file " << golden.string() << " differs (actual written to " << actual_path.string() << ")\n";
  int shown = 0;
  for (std::size_t i = 0; i < std::max(want.size(), got.size()) && shown < 12; ++i) {
    std::string w = i < want.size() ? want[i] : "<none>";
    std::string g = i < got.size() ? got[i] : "<none>";
    if (w == g) continue;
    diff << "line " << i + 1 << "\n  expected: " << w << "\n  actual:   " << g << "\n";
    ++shown;
  }
  return diff.str();
}

int RunCommand(const std::string& command, const std::filesystem::path& out, const std::filesystem::path& err) {
  std::string full = command;
  if (!out.empty()) full += " >'" + out.string() + "'";
  if (!err.empty()) full += " 2>'" + err.string() + "'";
  int status = std::system(full.c_str());
  if (status == -1) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

CommandOutcome RunQreport(const TempDir& work, const std::string& args, const std::string& env) {
  std::string command = "cd '" + work.str() + "' && env " + env + " '" + std::string(QREPORT_CLI) + "' " + args +
                        " </dev/null";
  CommandOutcome o;
  o.status = RunCommand(command, work / ".out", work / ".err");
  o.out = ReadFile(work / ".out");
  o.err = ReadFile(work / ".err");
  return o;
}

}  // namespace qreport::testing
