#include "web/server.h"

#include <sys/random.h>
#include <sys/socket.h>

#include <atomic>
#include <charconv>
#include <cstdint>
#include <chrono>
#include <cstdio>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <stdexcept>
#include <system_error>

#include <httplib.h>
#include <nlohmann/json.hpp>

#include "escp/cairo/filing_sheet.h"
#include "escp/cairo/fonts.h"
#include "escp/cairo/render.h"
#include "filing/return_outputs.h"
#include "data/errors.h"
#include "data/paths.h"
#include "data/report_writer.h"
#include "forms/printer_codes.h"
#include "forms/schedule_b_layout.h"
#include "platform/posix/print_utility.h"
#include "text/ascii.h"
#include "text/cp1252.h"
#include "text/masks.h"
#include "text/numbers.h"
#include "run/stages.h"
#include "web/assets.h"
#include "web/client_checks.h"
#include "web/client_index.h"
#include "web/clients.h"
#include "web/connections.h"
#include "web/dialog_session.h"
#include "web/report_view.h"

namespace qreport::web {
namespace fs = std::filesystem;
using nlohmann::json;

namespace {

// Sessions kept at once; the oldest goes first. A page left open keeps its dialog until then.
constexpr std::size_t kMaxSessions = 64;
// Connections waiting to be accepted.
constexpr int kListenQueue = 128;
// Events one dialog takes; a page that sends more is refused.
constexpr std::size_t kMaxEvents = 20000;
// What a page is told when its dialog session is gone, and when the client's folder is busy.
constexpr std::string_view kDialogClosed = "This dialog is closed. Open the client again.";
constexpr std::string_view kReportBeingWritten =
    "A report for this client is being written now. Try again when it is done.";

std::string Hex(const unsigned char* bytes, std::size_t n) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (std::size_t i = 0; i < n; ++i) {
    text += kDigits[bytes[i] >> 4];
    text += kDigits[bytes[i] & 15];
  }
  return text;
}

// Compares without stopping at the first difference, so the time taken tells nothing.
bool SameSecret(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  unsigned char diff = 0;
  for (std::size_t i = 0; i < a.size(); ++i) diff |= static_cast<unsigned char>(a[i] ^ b[i]);
  return diff == 0;
}

std::string CookieValue(std::string_view header, std::string_view name) {
  while (!header.empty()) {
    std::size_t end = header.find(';');
    std::string_view part = header.substr(0, end);
    header = end == header.npos ? std::string_view() : header.substr(end + 1);
    while (!part.empty() && part.front() == ' ') part.remove_prefix(1);
    if (part.size() > name.size() && part.substr(0, name.size()) == name && part[name.size()] == '=') {
      return std::string(part.substr(name.size() + 1));
    }
  }
  return "";
}

std::string Dump(const json& j) { return j.dump(-1, ' ', false, json::error_handler_t::replace); }

void SendJson(httplib::Response& res, const json& j, int status = 200) {
  res.status = status;
  res.set_content(Dump(j), "application/json; charset=utf-8");
}

void SendError(httplib::Response& res, int status, std::string_view message) {
  SendJson(res, json{{"error", std::string(message)}}, status);
}

json MessagesJson(const std::vector<ShownMessage>& messages) {
  json list = json::array();
  for (const ShownMessage& m : messages) {
    list.push_back({{"caption", Utf8FromCp1252(m.caption)}, {"text", Utf8FromCp1252(m.text)}});
  }
  return list;
}

std::string KindName(ControlKind kind) {
  switch (kind) {
    case ControlKind::kLabel: return "label";
    case ControlKind::kTextBox: return "text";
    case ControlKind::kCheckBox: return "check";
    case ControlKind::kPushButton: return "button";
    case ControlKind::kFrame: return "frame";
  }
  return "label";
}

// Where the mnemonic letter sits in the caption as shown, or -1.
int MnemonicIndex(std::string_view caption) {
  int shown = 0;
  for (std::size_t i = 0; i < caption.size(); ++i, ++shown) {
    if (caption[i] != '&' || i + 1 >= caption.size()) continue;
    if (caption[i + 1] == '&') {
      ++i;
      continue;
    }
    return shown;
  }
  return -1;
}

json TableJson(const DialogTable& table) {
  json controls = json::array();
  for (const DialogControl& control : table.controls) {
    bool caption = control.kind != ControlKind::kTextBox;
    char mnemonic = caption ? MnemonicOf(control.text) : 0;
    controls.push_back({{"id", control.id},
                        {"kind", KindName(control.kind)},
                        {"text", Utf8FromCp1252(caption ? CaptionWithoutMnemonic(control.text) : control.text)},
                        {"mnemonic", mnemonic ? std::string(1, mnemonic) : std::string()},
                        {"mnemonicAt", caption ? MnemonicIndex(control.text) : -1},
                        {"x", control.x},
                        {"y", control.y},
                        {"w", control.w},
                        {"h", control.h},
                        {"centred", control.centred_text}});
  }
  return {{"title", Utf8FromCp1252(table.title)},
          {"width", table.width},
          {"height", table.height},
          {"frame", table.frame == DialogFrame::kModalPopup ? "popup" : "overlapped"},
          {"controls", controls}};
}

json ControlsJson(const DialogSession& session) {
  json texts = json::object(), checks = json::object();
  for (const DialogControl& c : session.table().controls) {
    if (c.kind == ControlKind::kTextBox) texts[std::to_string(c.id)] = Utf8FromCp1252(session.controls().Text(c.id));
    if (c.kind == ControlKind::kCheckBox) checks[std::to_string(c.id)] = session.controls().IsChecked(c.id);
  }
  return {{"texts", texts}, {"checks", checks}};
}

json FindingsJson(const std::vector<Finding>& findings) {
  json list = json::array();
  for (const Finding& f : findings) {
    list.push_back({{"code", f.code}, {"severity", SeverityName(f.severity)}, {"message", Utf8FromCp1252(f.message)}});
  }
  return list;
}

json ClientJson(const ClientSummary& client, const ClientCheck& check) {
  return {{"name", client.name},
          {"employer", Utf8FromCp1252(client.employer)},
          {"payrollDate", Utf8FromCp1252(client.payroll_date)},
          {"quarter", client.quarter},
          {"year", Utf8FromCp1252(client.year)},
          {"path", client.form_route ? "form" : "short"},
          {"report", client.has_report ? json(client.report_time) : json(nullptr)},
          {"findings", FindingsJson(check.findings)}};
}

json RowJson(const ClientRow& row) {
  if (!row.ready) return {{"name", row.name}, {"pending", true}};
  return {{"name", row.name},
          {"employer", row.employer},
          {"payrollDate", row.payroll_date},
          {"quarter", row.quarter},
          {"year", row.year},
          {"path", row.form_route ? "form" : "short"},
          {"report", row.has_report ? json(row.report_time) : json(nullptr)},
          {"errors", row.errors},
          {"warnings", row.warnings}};
}

// A whole number from the query, or `fallback` when it is absent or not one; at most `most`.
std::size_t QueryNumber(const httplib::Request& req, const char* name, std::size_t fallback, std::size_t most) {
  if (!req.has_param(name)) return fallback;
  const std::string text = req.get_param_value(name);
  std::size_t value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return fallback;
  return std::min(value, most);
}

// Whether `later` was written no earlier than `earlier`; false when either is not a plain file.
bool WrittenSince(const fs::path& later, const fs::path& earlier) {
  std::error_code ec;
  if (!fs::is_regular_file(fs::symlink_status(later, ec)) || !fs::is_regular_file(fs::symlink_status(earlier, ec))) {
    return false;
  }
  auto a = fs::last_write_time(later, ec);
  if (ec) return false;
  auto b = fs::last_write_time(earlier, ec);
  return !ec && a >= b;
}

// The form's lines of the figures as the report page's table: each line with its amount as the
// form prints money.
json LinesTable(const nlohmann::ordered_json& figures) {
  if (!figures.contains("lines") || !figures["lines"].is_object()) return nullptr;
  json rows = json::array();
  for (const auto& [line, cents] : figures["lines"].items()) {
    if (!cents.is_number_integer()) continue;
    // Form 941's line 1 is the number of employees; every other line is money in cents.
    bool count = figures["form"] == "941" && line == "1";
    std::string text = count ? FormatAmount("#####", static_cast<double>(cents.get<std::int64_t>()))
                             : Bracketed(cents.get<Cents>());
    rows.push_back({{"line", line}, {count ? "count" : "cents", cents}, {"text", Trim(text)}});
  }
  return {{"form", figures["form"]}, {"rows", rows}};
}

// The filing sheet's lines as the report page's main table: Part 1, then Part 2, each row with
// its number, caption and texts of its two columns (a box reads "X" when checked).
json CurrentReturnTable(const escp::FilingSheet& sheet) {
  json rows = json::array();
  auto add = [&rows](const escp::FilingSheetLine& line) {
    std::string column2 = line.column2 ? escp::SheetAmountText(*line.column2) : "";
    if (line.count) column2 = std::to_string(*line.count);
    if (line.box) column2 = line.checked ? "X" : "";
    rows.push_back({{"line", line.number},
                    {"caption", line.caption},
                    {"column1", line.column1 ? escp::SheetAmountText(*line.column1) : ""},
                    {"column2", column2}});
  };
  for (const escp::FilingSheetLine& line : sheet.part1) add(line);
  for (const escp::FilingSheetLine& line : sheet.part2) add(line);
  return {{"form", sheet.form}, {"title", sheet.title}, {"rows", rows}, {"notes", sheet.notes}};
}

}  // namespace

std::string RandomToken() {
  unsigned char bytes[16];
  std::size_t got = 0;
  while (got < sizeof bytes) {
    ssize_t n = ::getrandom(bytes + got, sizeof bytes - got, 0);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw std::runtime_error("cannot read the system's random source");
    }
    got += static_cast<std::size_t>(n);
  }
  return Hex(bytes, sizeof bytes);
}

struct WebServer::Impl {
  ServeOptions options;
  fs::path root;  // canonical
  std::unique_ptr<GuardedServer> server;
  int port = 0;
  int listen_socket = -1;

  std::mutex sessions_mutex;
  std::map<std::string, std::shared_ptr<DialogSession>> sessions;
  std::deque<std::string> session_order;

  std::mutex apply_mutex;

  std::mutex locks_mutex;
  std::map<std::string, std::shared_ptr<std::mutex>> client_locks;

  // Folders whose last report from these pages is not to be printed (its run showed an error).
  std::mutex printable_mutex;
  std::map<std::string, bool> printable;

  std::unique_ptr<ReportViews> views;
  std::unique_ptr<ClientChecks> checks;
  std::unique_ptr<ClientIndex> index;
  std::function<void(const fs::path&)> list_hook;

  // Clients whose Schedule B the report page was asked not to show.
  std::mutex schedule_b_mutex;
  std::set<std::string> schedule_b_hidden;

  // Schedule B as the report page shows it: whether it goes with the client's return (and why
  // not), and its pages when it is shown: written for the report as it stands (no earlier
  // than report.txt) and not hidden by the page.
  json ScheduleBJson(const ClientSummary& client, const ClientCheck& check) {
    json j = {{"due", check.schedule_b == ScheduleBOutcome::kWritten},
              {"why", std::string(ScheduleBWhyNot(check.schedule_b))},
              {"shown", false},
              {"pages", 0}};
    {
      std::lock_guard<std::mutex> guard(schedule_b_mutex);
      if (schedule_b_hidden.count(client.folder.string()) != 0) return j;
    }
    const fs::path file = ResolveHostPath(client.folder.string(), kScheduleBFileName);
    if (!j["due"].get<bool>() || !WrittenSince(file, ResolveHostPath(client.folder.string(), kReportFileName))) return j;
    std::optional<std::size_t> pages = views->PageCount(client.folder, kScheduleBFileName);
    if (pages) j["shown"] = true, j["pages"] = *pages;
    return j;
  }

  // The form's lines of the last report each client got from these pages, as the report page's
  // table shows them.
  std::mutex lines_mutex;
  std::map<std::string, json> lines;

  std::shared_ptr<std::mutex> ClientLock(const fs::path& folder) {
    std::lock_guard<std::mutex> guard(locks_mutex);
    auto& lock = client_locks[folder.string()];
    if (!lock) lock = std::make_shared<std::mutex>();
    return lock;
  }

  bool HostAllowed(const httplib::Request& req) const {
    std::string host = req.get_header_value("Host");
    std::string p = std::to_string(port);
    return host == "127.0.0.1:" + p || host == "localhost:" + p;
  }

  bool TokenAllowed(const httplib::Request& req) const {
    if (req.method == "GET" || req.method == "HEAD") {
      if (req.has_param("token")) return SameSecret(req.get_param_value("token"), options.token);
      return SameSecret(CookieValue(req.get_header_value("Cookie"), kTokenCookie), options.token);
    }
    // Anything else changes something: the token must be in the header, never only in a cookie
    // that a browser would send along with another site's form.
    return req.has_header(std::string(kTokenHeader).c_str()) &&
           SameSecret(req.get_header_value(std::string(kTokenHeader).c_str()), options.token);
  }

  std::shared_ptr<DialogSession> FindSession(const std::string& id) {
    std::lock_guard<std::mutex> guard(sessions_mutex);
    auto it = sessions.find(id);
    return it == sessions.end() ? nullptr : it->second;
  }

  std::string AddSession(std::shared_ptr<DialogSession> session) {
    std::string id = RandomToken();
    std::lock_guard<std::mutex> guard(sessions_mutex);
    while (sessions.size() >= kMaxSessions && !session_order.empty()) {
      sessions.erase(session_order.front());
      session_order.pop_front();
    }
    sessions[id] = std::move(session);
    session_order.push_back(id);
    return id;
  }

  void DropSession(const std::string& id) {
    std::lock_guard<std::mutex> guard(sessions_mutex);
    sessions.erase(id);
    std::erase(session_order, id);
  }

  // The routes: what each path answers, a handler a page of the API.
  using Handler = void (Impl::*)(const httplib::Request&, httplib::Response&);
  void Routes();
  // The body limit, the guard before every route, and the answers to errors and exceptions.
  void GuardAndErrors();
  // Routes POST requests to `pattern` to `handler`, with the body read under kMaxRequestBody.
  void Post(const std::string& pattern, Handler handler);
  httplib::Server::HandlerResponse Guard(const httplib::Request& req, httplib::Response& res);
  void IndexPage(const httplib::Request& req, httplib::Response& res);
  void ClientList(const httplib::Request& req, httplib::Response& res);
  void ClientFindings(const httplib::Request& req, httplib::Response& res);
  void PrinterList(const httplib::Request& req, httplib::Response& res);
  void ClientInfo(const httplib::Request& req, httplib::Response& res);
  void OpenDialog(const httplib::Request& req, httplib::Response& res);
  void DialogEvent(const httplib::Request& req, httplib::Response& res);
  void RunReport(const httplib::Request& req, httplib::Response& res);
  void SendPicture(const httplib::Request& req, httplib::Response& res, std::string_view file,
                   std::string_view missing);
  void SendDownload(const httplib::Request& req, httplib::Response& res, std::string_view file,
                    std::string_view name, std::string_view missing);
  void ScheduleBRequest(const httplib::Request& req, httplib::Response& res);
  void CurrentReturnDownload(const httplib::Request& req, httplib::Response& res);
  void Print(const httplib::Request& req, httplib::Response& res);
};

void WebServer::Impl::GuardAndErrors() {
  // A body whose length is past the limit is refused before it is read; the POST routes below
  // hold the limit for a body sent any other way.
  server->set_payload_max_length(kMaxRequestBody);
  server->set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) { return Guard(req, res); });
  server->set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
    res.status = 500;
    res.set_content("internal error\n", "text/plain");
  });
  server->set_error_handler([](const httplib::Request& req, httplib::Response& res) {
    if (GuardedServer::RequestTooLarge()) res.status = 413, res.body.clear();
    // The library says so itself when the request asked for it.
    if (GuardedServer::ClosingAfterAnswer() && req.get_header_value("Connection") != "close") {
      res.set_header("Connection", "close");
    }
    if (res.body.empty()) {
      res.set_content(res.status == 404 ? "not found\n" : res.status == 413 ? "request too large\n" : "error\n",
                      "text/plain");
    }
  });
}

// A POST's body is read here, so that its limit holds however it is sent (with its length, in
// chunks, or to the end of the connection): past kMaxRequestBody nothing more is read, the
// answer is 413 and the connection is closed after it.
void WebServer::Impl::Post(const std::string& pattern, Handler handler) {
  server->Post(pattern, [this, handler](const httplib::Request& req, httplib::Response& res,
                                        const httplib::ContentReader& content) {
    std::string body;
    bool too_large = false;
    bool read = content([&](const char* data, std::size_t n) {
      too_large = body.size() + n > kMaxRequestBody;
      if (!too_large) body.append(data, n);
      return !too_large;
    });
    if (!read) {
      // Whatever stopped the read, the rest of the body is still on its way: the connection
      // ends with this answer, lest the rest be taken for the next request.
      if (too_large || res.status == 413) GuardedServer::RefuseRestOfRequest();
      GuardedServer::CloseAfterAnswer();
      res.status = GuardedServer::RequestTooLarge() ? 413 : 400;
      return;
    }
    GuardedServer::Answering();
    // The library owns the request and hands it on as const; its body is the one read here.
    const_cast<httplib::Request&>(req).body = std::move(body);
    (this->*handler)(req, res);
  });
}

void WebServer::Impl::Routes() {
  GuardAndErrors();
  auto post = [this](const std::string& pattern, Handler handler) { Post(pattern, handler); };
  auto handle = [this](Handler handler) {
    return [this, handler](const httplib::Request& req, httplib::Response& res) {
      GuardedServer::Answering();
      (this->*handler)(req, res);
    };
  };
  server->Get("/", handle(&Impl::IndexPage));
  server->Get("/app.js", [](const httplib::Request&, httplib::Response& res) {
    GuardedServer::Answering();
    res.set_content(std::string(kAppJs), "text/javascript; charset=utf-8");
  });
  server->Get("/app.css", [](const httplib::Request&, httplib::Response& res) {
    GuardedServer::Answering();
    res.set_content(std::string(kAppCss), "text/css; charset=utf-8");
  });
  server->Get("/api/clients", handle(&Impl::ClientList));
  server->Get("/api/printers", handle(&Impl::PrinterList));
  server->Get(R"(/api/clients/([^/]+))", handle(&Impl::ClientInfo));
  server->Get(R"(/api/clients/([^/]+)/findings)", handle(&Impl::ClientFindings));
  // The dialog, one session a page: opened, played event by event, and run into a report.
  post(R"(/api/clients/([^/]+)/open)", &Impl::OpenDialog);
  post(R"(/api/sessions/([0-9a-f]+)/event)", &Impl::DialogEvent);
  post(R"(/api/sessions/([0-9a-f]+)/run)", &Impl::RunReport);
  // The report as pictures and downloads.
  server->Get(R"(/api/clients/([^/]+)/page/(\d{1,4})\.png)", [this](const httplib::Request& req, httplib::Response& res) {
    SendPicture(req, res, kReportFileName, "no such page");
  });
  server->Get(R"(/api/clients/([^/]+)/report\.(pdf|txt))", [this](const httplib::Request& req, httplib::Response& res) {
    SendDownload(req, res, kReportFileName, "report", "no report");
  });
  // Schedule B beside the report: written as the run writes it when asked for (for the client's
  // return as the checks see it), shown as pictures, or hidden again (the file stays).
  post(R"(/api/clients/([^/]+)/schedule-b)", &Impl::ScheduleBRequest);
  server->Get(R"(/api/clients/([^/]+)/scheduleb/(\d{1,4})\.png)", [this](const httplib::Request& req,
                                                                         httplib::Response& res) {
    SendPicture(req, res, kScheduleBFileName, "no such page");
  });
  server->Get(R"(/api/clients/([^/]+)/scheduleb\.(pdf|txt))", [this](const httplib::Request& req, httplib::Response& res) {
    SendDownload(req, res, kScheduleBFileName, "scheduleb", "no Schedule B");
  });
  post(R"(/api/clients/([^/]+)/print)", &Impl::Print);
  // The current return of the client's figures, as `qreport return --json` and `-o` make it.
  server->Get(R"(/api/clients/([^/]+)/return\.(json|pdf))", handle(&Impl::CurrentReturnDownload));
}

// Every request: the security headers, and nothing further without the right Host and token.
httplib::Server::HandlerResponse WebServer::Impl::Guard(const httplib::Request& req, httplib::Response& res) {
  res.set_header("Cache-Control", "no-store");
  res.set_header("X-Content-Type-Options", "nosniff");
  res.set_header("X-Frame-Options", "DENY");
  res.set_header("Referrer-Policy", "no-referrer");
  if (!HostAllowed(req) || !TokenAllowed(req)) {
    res.status = 403;
    res.set_content("forbidden\n", "text/plain");
    return httplib::Server::HandlerResponse::Handled;
  }
  if (req.has_param("token")) {
    res.set_header("Set-Cookie", std::string(kTokenCookie) + "=" + options.token + "; Path=/; HttpOnly; SameSite=Strict");
  }
  return httplib::Server::HandlerResponse::Unhandled;
}

void WebServer::Impl::IndexPage(const httplib::Request&, httplib::Response& res) {
  std::string html(kIndexHtml);
  std::size_t at = html.find("{{TOKEN}}");
  if (at != html.npos) html.replace(at, 9, options.token);
  res.set_header("Content-Security-Policy",
                 "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self'; connect-src 'self'; "
                 "form-action 'none'; frame-ancestors 'none'; base-uri 'none'");
  res.set_content(html, "text/html; charset=utf-8");
}

// A page of the clients list: ?offset=&limit=&filter=&sort=&desc=1, and refresh=1 to look at the
// folders again (the page asks so when it is opened). Rows carry the number of findings; the
// findings themselves are a request of their own.
void WebServer::Impl::ClientList(const httplib::Request& req, httplib::Response& res) {
  constexpr std::size_t kMostRows = 500;
  ListQuery query;
  query.offset = QueryNumber(req, "offset", 0, SIZE_MAX);
  query.limit = QueryNumber(req, "limit", 50, kMostRows);
  query.filter = req.get_param_value("filter");
  if (req.has_param("sort")) query.sort = req.get_param_value("sort");
  if (!IsListSort(query.sort)) return SendError(res, 400, "no such sort: " + query.sort);
  query.descending = req.get_param_value("desc") == "1";
  if (req.get_param_value("refresh") == "1") index->Refresh();
  ListPage page = index->Query(query);
  json rows = json::array();
  for (const ClientRow& row : page.rows) rows.push_back(RowJson(row));
  SendJson(res, {{"root", root.string()},
                 {"clients", page.clients},
                 {"matching", page.matching},
                 {"offset", query.offset},
                 {"rows", rows},
                 {"progress", {{"running", page.running}, {"first", page.first}, {"done", page.done}, {"of", page.of}}}});
}

void WebServer::Impl::ClientFindings(const httplib::Request& req, httplib::Response& res) {
  std::optional<fs::path> folder = ClientFolder(root, req.matches[1].str());
  if (!folder) return SendError(res, 404, "no such client");
  SendJson(res, {{"name", req.matches[1].str()}, {"findings", FindingsJson(checks->Get(*folder)->findings)}});
}

void WebServer::Impl::PrinterList(const httplib::Request&, httplib::Response& res) {
  json list = json::array();
  for (const std::string& d : ListCupsDestinations()) list.push_back(d);
  SendJson(res, {{"destinations", list}});
}

void WebServer::Impl::ClientInfo(const httplib::Request& req, httplib::Response& res) {
  std::optional<fs::path> folder = ClientFolder(root, req.matches[1].str());
  if (!folder) return SendError(res, 404, "no such client");
  ClientSummary client = SummariseClient(*folder, req.matches[1].str());
  std::shared_ptr<const ClientCheck> check = checks->Get(*folder);
  json j = ClientJson(client, *check);
  std::optional<std::size_t> report = client.has_report ? views->PageCount(*folder) : std::nullopt;
  j["pages"] = report.value_or(0);
  j["scheduleB"] = report ? ScheduleBJson(client, *check) : json(nullptr);
  {
    std::lock_guard<std::mutex> guard(printable_mutex);
    auto it = printable.find(folder->string());
    j["printable"] = report.has_value() && (it == printable.end() || it->second);
  }
  {
    std::lock_guard<std::mutex> guard(lines_mutex);
    auto it = lines.find(folder->string());
    j["lines"] = it == lines.end() ? json(nullptr) : it->second;
  }
  j["currentReturn"] = report && check->return_sheet ? CurrentReturnTable(*check->return_sheet) : json(nullptr);
  SendJson(res, j);
}

void WebServer::Impl::OpenDialog(const httplib::Request& req, httplib::Response& res) {
  std::optional<fs::path> folder = ClientFolder(root, req.matches[1].str());
  if (!folder) return SendError(res, 404, "no such client");
  SessionSetup setup;
  setup.data_dir = folder->string();
  setup.rates_dir = options.rates_dir;
  setup.report_kind = options.report_kind;
  setup.print_options = options.print_options;
  auto session = std::make_shared<DialogSession>(std::move(setup));
  if (!session->answers_errors().empty()) {
    std::string errors;
    for (const std::string& error : session->answers_errors()) errors += (errors.empty() ? "" : "\n") + error;
    return SendError(res, 422, "The client's answers file has errors:\n" + errors);
  }
  json j = {{"dialog", TableJson(session->table())},
            {"shortPath", session->short_route()},
            {"messages", MessagesJson(session->opening_messages())}};
  j.update(ControlsJson(*session));
  j["session"] = AddSession(session);
  SendJson(res, j);
}

void WebServer::Impl::DialogEvent(const httplib::Request& req, httplib::Response& res) {
  std::shared_ptr<DialogSession> session = FindSession(req.matches[1].str());
  if (!session) return SendError(res, 404, kDialogClosed);
  json body = json::parse(req.body, nullptr, false);
  if (!body.is_object() || !body.contains("id") || !body["id"].is_number_integer()) {
    return SendError(res, 400, "an event needs a control id");
  }
  Answer event;
  long long id = body["id"].get<long long>();
  event.known_id = id >= 0 && id <= 999999999;
  event.id = event.known_id ? static_cast<int>(id) : 0;
  if (body.contains("text")) {
    if (!body["text"].is_string()) return SendError(res, 400, "an event's text is a string");
    event.has_text = true;
    event.text = Cp1252FromUtf8(body["text"].get<std::string>());
  }
  json j;
  {
    // A dialog's events apply one at a time, in the order they arrive.
    std::lock_guard<std::mutex> guard(apply_mutex);
    if (session->event_count() >= kMaxEvents) return SendError(res, 413, "too many events for one dialog");
    j = {{"messages", MessagesJson(session->Apply(event))}};
    j.update(ControlsJson(*session));
    j["ended"] = session->ended();
    j["cancelled"] = session->cancelled();
  }
  if (session->cancelled()) DropSession(req.matches[1].str());
  SendJson(res, j);
}

void WebServer::Impl::RunReport(const httplib::Request& req, httplib::Response& res) {
  std::shared_ptr<DialogSession> session = FindSession(req.matches[1].str());
  if (!session) return SendError(res, 404, kDialogClosed);
  if (!session->ended() || session->cancelled()) return SendError(res, 409, "The dialog has not been finished.");
  std::shared_ptr<std::mutex> lock = ClientLock(session->setup().data_dir);
  std::unique_lock<std::mutex> running(*lock, std::try_to_lock);
  if (!running.owns_lock()) return SendError(res, 409, kReportBeingWritten);
  RunResult result = session->RunReport();
  running.unlock();
  checks->SetAnswers(session->setup().data_dir, session->events());
  index->Recompute(fs::path(session->setup().data_dir).filename().string());
  {
    std::lock_guard<std::mutex> guard(printable_mutex);
    printable[session->setup().data_dir] = result.handed_on;
  }
  {
    std::lock_guard<std::mutex> guard(lines_mutex);
    lines[session->setup().data_dir] = LinesTable(session->Figures());
  }
  DropSession(req.matches[1].str());
  SendJson(res, {{"messages", MessagesJson(result.messages)}, {"printable", result.handed_on}});
}

// Page N (the path's second match) of the client's `file` as a picture.
void WebServer::Impl::SendPicture(const httplib::Request& req, httplib::Response& res, std::string_view file,
                                  std::string_view missing) {
  GuardedServer::Answering();
  std::optional<fs::path> folder = ClientFolder(root, req.matches[1].str());
  std::shared_ptr<const std::string> png = folder ? views->PagePng(*folder, file, std::stoul(req.matches[2].str())) : nullptr;
  if (!png) return SendError(res, 404, missing);
  res.set_content(*png, "image/png");
}

// The client's `file` as a PDF or its printer text (the path's second match), to be saved as
// "<client>-<name>.pdf" or ".txt".
void WebServer::Impl::SendDownload(const httplib::Request& req, httplib::Response& res, std::string_view file,
                                   std::string_view name, std::string_view missing) {
  GuardedServer::Answering();
  std::optional<fs::path> folder = ClientFolder(root, req.matches[1].str());
  bool pdf = req.matches[2].str() == "pdf";
  std::optional<std::string> content;
  if (folder) content = pdf ? views->Pdf(*folder, file) : views->Text(*folder, file);
  if (!content) return SendError(res, 404, missing);
  std::string client = folder->filename().string();
  std::erase_if(client, [](char c) { return c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20; });
  res.set_header("Content-Disposition",
                 "attachment; filename=\"" + client + "-" + std::string(name) + (pdf ? ".pdf\"" : ".txt\""));
  res.set_content(*content, pdf ? "application/pdf" : "application/octet-stream");
}

void WebServer::Impl::CurrentReturnDownload(const httplib::Request& req, httplib::Response& res) {
  std::optional<fs::path> folder = ClientFolder(root, req.matches[1].str());
  if (!folder) return SendError(res, 404, "no such client");
  std::shared_ptr<const ClientCheck> check = checks->Get(*folder);
  if (!check->current_return || !check->return_sheet) return SendError(res, 404, "no Form 941 or 944 for this client");
  std::string client = folder->filename().string();
  std::erase_if(client, [](char c) { return c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20; });
  if (req.matches[2].str() == "json") {
    res.set_header("Content-Disposition", "attachment; filename=\"" + client + "-return.json\"");
    return res.set_content(CurrentReturnJsonText(*check->current_return), "application/json");
  }
  std::string pdf;
  try {
    escp::FontSet fonts;
    pdf = CurrentReturnPdf(*check->return_sheet, fonts);
  } catch (const escp::RenderError& e) {
    return SendError(res, 500, std::string("The filing sheet cannot be drawn: ") + e.what());
  }
  res.set_header("Content-Disposition", "attachment; filename=\"" + client + "-return.pdf\"");
  res.set_content(pdf, "application/pdf");
}

void WebServer::Impl::ScheduleBRequest(const httplib::Request& req, httplib::Response& res) {
  std::optional<fs::path> folder = ClientFolder(root, req.matches[1].str());
  if (!folder) return SendError(res, 404, "no such client");
  json body = json::parse(req.body, nullptr, false);
  if (!body.is_object() || !body.contains("show") || !body["show"].is_boolean()) {
    return SendError(res, 400, "a Schedule B request says whether to show it");
  }
  if (!body["show"].get<bool>()) {
    std::lock_guard<std::mutex> guard(schedule_b_mutex);
    schedule_b_hidden.insert(folder->string());
    return SendJson(res, {{"shown", false}, {"pages", 0}});
  }
  ClientSummary client = SummariseClient(*folder, req.matches[1].str());
  if (!client.has_report) return SendError(res, 409, "There is no report for Schedule B to go with.");
  std::shared_ptr<const ClientCheck> check = checks->Get(*folder);
  if (check->schedule_b != ScheduleBOutcome::kWritten || !check->schedule_b_figures) {
    return SendError(res, 409, "No Schedule B: " + std::string(ScheduleBWhyNot(check->schedule_b)) + ".");
  }
  std::shared_ptr<std::mutex> lock = ClientLock(*folder);
  std::unique_lock<std::mutex> running(*lock, std::try_to_lock);
  if (!running.owns_lock()) return SendError(res, 409, kReportBeingWritten);
  try {
    WriteScheduleBFile(folder->string(), *check->schedule_b_figures);
  } catch (const RunError& error) {
    return SendError(res, 500, "Schedule B was not written to " +
                                   ResolveHostPath(folder->string(), kScheduleBFileName).string() + ": Error " +
                                   std::to_string(error.number()));
  }
  running.unlock();
  {
    std::lock_guard<std::mutex> guard(schedule_b_mutex);
    schedule_b_hidden.erase(folder->string());
  }
  SendJson(res, ScheduleBJson(client, *check));
}

void WebServer::Impl::Print(const httplib::Request& req, httplib::Response& res) {
  std::optional<fs::path> folder = ClientFolder(root, req.matches[1].str());
  if (!folder) return SendError(res, 404, "no such client");
  json body = json::parse(req.body, nullptr, false);
  if (!body.is_object() || !body.contains("destination") || !body["destination"].is_string()) {
    return SendError(res, 400, "a print request names its destination");
  }
  std::string destination = body["destination"].get<std::string>();
  if (!destination.empty()) {
    std::vector<std::string> known = ListCupsDestinations();
    if (std::find(known.begin(), known.end(), destination) == known.end()) {
      return SendError(res, 404, "no such printer");
    }
  }
  ClientSummary client = SummariseClient(*folder, folder->filename().string());
  {
    std::lock_guard<std::mutex> guard(printable_mutex);
    auto it = printable.find(folder->string());
    if (!client.has_report || (it != printable.end() && !it->second)) {
      return SendError(res, 409, "This report is not to be printed.");
    }
  }
  std::shared_ptr<std::mutex> lock = ClientLock(*folder);
  std::unique_lock<std::mutex> running(*lock, std::try_to_lock);
  if (!running.owns_lock()) return SendError(res, 409, kReportBeingWritten);
  PrintResult printed = HandOff(folder->string(), !client.form_route, InteractivePickerReply(destination, false),
                                options.print_options);
  SendJson(res, {{"command", Utf8FromCp1252(printed.command)}, {"problem", Utf8FromCp1252(printed.problem)}});
}

WebServer::WebServer(ServeOptions options) : impl_(std::make_unique<Impl>()) {
  impl_->options = std::move(options);
  impl_->server = std::make_unique<GuardedServer>(impl_->options.connections);
  impl_->views = std::make_unique<ReportViews>(impl_->options.page_memory);
  if (impl_->options.token.empty()) impl_->options.token = RandomToken();
  impl_->checks = std::make_unique<ClientChecks>(impl_->options.rates_dir, impl_->options.report_kind);
  // The print utility's stand-in draws the report with the renderer this front end shows it with.
  if (impl_->options.print_options.render_pdf == nullptr) {
    impl_->options.print_options.render_pdf = &escp::RenderReportForPrinting;
  }
}

WebServer::~WebServer() { Stop(); }

bool WebServer::Bind(std::string& error) {
  std::error_code ec;
  impl_->root = fs::canonical(impl_->options.root, ec);
  if (ec || !fs::is_directory(impl_->root, ec)) {
    error = "no such folder: " + impl_->options.root.string();
    return false;
  }
  impl_->Routes();
  impl_->index = std::make_unique<ClientIndex>(
      impl_->root, ListCacheFile(impl_->root, impl_->options.cache_dir),
      impl_->options.rates_dir + '\n' + impl_->options.report_kind, *impl_->checks, impl_->options.list_threads);
  if (impl_->list_hook) impl_->index->SetComputeHookForTest(impl_->list_hook);
  // The list is computed from the start, before the page asks for it.
  impl_->index->Refresh();
  // The listening socket: SO_REUSEADDR so that a restart finds its port again, but never
  // SO_REUSEPORT, so that a second server on the same port is an error instead of a silent share.
  impl_->server->set_socket_options([impl = impl_.get()](int sock) {
    int yes = 1;
    ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    impl->listen_socket = sock;
  });
  if (impl_->options.port == 0) {
    impl_->port = impl_->server->bind_to_any_port("127.0.0.1");
    if (impl_->port <= 0) {
      error = "cannot listen on 127.0.0.1";
      return false;
    }
  } else {
    if (!impl_->server->bind_to_port("127.0.0.1", impl_->options.port)) {
      error = "cannot listen on 127.0.0.1:" + std::to_string(impl_->options.port) + " (in use?)";
      return false;
    }
    impl_->port = impl_->options.port;
  }
  // The library listens with a queue of 5 connections; a page and a few clients at once open
  // more than that, and connections beyond the queue are dropped. Listening again only sets a
  // longer queue.
  if (impl_->listen_socket >= 0) ::listen(impl_->listen_socket, kListenQueue);
  return true;
}

int WebServer::port() const { return impl_->port; }
const std::string& WebServer::token() const { return impl_->options.token; }

std::string WebServer::Url() const {
  return "http://127.0.0.1:" + std::to_string(impl_->port) + "/?token=" + impl_->options.token;
}

void WebServer::Serve() { impl_->server->listen_after_bind(); }

void WebServer::Stop() {
  if (impl_) impl_->server->stop();
}

void WebServer::SetDrawHookForTest(std::function<void(const fs::path&)> hook) {
  impl_->views->SetDrawHookForTest(std::move(hook));
}

void WebServer::SetThreadStartHookForTest(std::function<void()> hook) {
  impl_->server->SetThreadStartHookForTest(std::move(hook));
}

void WebServer::WaitForClientListForTest() {
  if (impl_->index) impl_->index->WaitForPass();
}

void WebServer::SetListComputeHookForTest(std::function<void(const fs::path&)> hook) {
  impl_->list_hook = std::move(hook);
  if (impl_->index) impl_->index->SetComputeHookForTest(impl_->list_hook);
}

std::size_t WebServer::OpenConnectionsForTest() { return impl_->server->open_connections(); }

std::size_t WebServer::CachedPageBytesForTest() { return impl_->views->cached_bytes(); }

std::shared_ptr<void> WebServer::HoldClientForTest(const fs::path& folder) {
  std::shared_ptr<std::mutex> lock = impl_->ClientLock(fs::canonical(folder));
  lock->lock();
  return std::shared_ptr<void>(lock.get(), [lock](void*) { lock->unlock(); });
}

}  // namespace qreport::web
