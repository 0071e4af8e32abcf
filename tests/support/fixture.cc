#include "support/fixture.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "platform/files.h"

namespace qreport::testing {

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

Employee DecodedEmployee(double quarter_wages, double quarter_tips, double year_wages, double year_tips,
                         char fica_flag, std::uint8_t exempt_code) {
  Employee e;
  e.amounts_qtd[kWages] = quarter_wages;
  e.amounts_qtd[kTips] = quarter_tips;
  e.amounts_ytd[kWages] = year_wages;
  e.amounts_ytd[kTips] = year_tips;
  e.fica_flag = fica_flag;
  e.exempt_code = exempt_code;
  ApplyExemptCode(exempt_code, e.suta_subject, e.futa_subject);
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

std::vector<std::string> Rows(std::string_view text) {
  std::vector<std::string> rows;
  std::size_t at = 0;
  while (true) {
    std::size_t end = text.find("\r\n", at);
    if (end == std::string_view::npos) {
      rows.emplace_back(text.substr(at));
      return rows;
    }
    rows.emplace_back(text.substr(at, end - at));
    at = end + 2;
  }
}

std::size_t Count(std::string_view text, std::string_view piece) {
  std::size_t n = 0;
  for (std::size_t at = text.find(piece); at != std::string_view::npos; at = text.find(piece, at + 1)) ++n;
  return n;
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

int StartQreport(const std::filesystem::path& work, const std::vector<std::string>& args) {
  std::vector<char*> argv;
  std::string program = QREPORT_CLI;
  argv.push_back(program.data());
  std::vector<std::string> copies = args;
  for (std::string& arg : copies) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = ::fork();
  if (pid == 0) {
    int null_fd = ::open("/dev/null", O_RDWR);
    if (null_fd < 0 || ::chdir(work.c_str()) != 0) ::_exit(126);
    for (int fd : {0, 1, 2}) ::dup2(null_fd, fd);
    ::execv(QREPORT_CLI, argv.data());
    ::_exit(127);
  }
  return pid;
}

}  // namespace qreport::testing
