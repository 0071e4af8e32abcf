#include "json/client_document.h"

#include <algorithm>
#include <limits>
#include <set>

#include "data/client_file.h"
#include "data/employee_files.h"
#include "data/liability_file.h"
#include "forms/employer_block.h"
#include "json/document_rules.h"
#include "text/json_text.h"

namespace qreport {
namespace {

using Json = nlohmann::ordered_json;

// What the document's "format" key holds: the schema makes it a constant.
constexpr std::string_view kDocumentFormat = "qreport client folder 1";

Json AmountsJson(const std::array<Cents, 9>& amounts) {
  Json a = Json::array();
  for (Cents c : amounts) a.push_back(c);
  return a;
}

// The document up to its employees: the format and the client file.
void WriteDocumentHead(const Inspection& in, JsonOut& out) {
  const ClientDocument& doc = in.document;
  out.Put("format", std::string(kDocumentFormat));
  if (doc.folder.client) {
    const ClientSpec& c = *doc.folder.client;
    out.Put("client", {{"employer_name", BytesToJsonText(c.employer_name)},
                       {"trade_name", BytesToJsonText(c.trade_name)},
                       {"address", BytesToJsonText(c.address)},
                       {"payroll_date", BytesToJsonText(c.payroll_date)},
                       {"ein_suffix", c.ein_suffix},
                       {"futa_rate", BytesToJsonText(c.futa_rate)},
                       {"futa_base", BytesToJsonText(c.futa_base)},
                       {"suta_rate", BytesToJsonText(c.suta_rate)},
                       {"suta_base", BytesToJsonText(c.suta_base)},
                       {"ein", BytesToJsonText(c.ein)},
                       {"city_line", BytesToJsonText(c.city_line)}});
  } else {
    out.Put("client", nullptr);
  }
}

Json EmployeeJson(const EmployeeSpec& e) {
  Json x;
  x["record_number"] = e.record_number;
  x["key"] = BytesToJsonText(e.key);
  if (e.record_number >= 1) {
    if (e.index_key) x["index_key"] = BytesToJsonText(*e.index_key);
    x["name"] = BytesToJsonText(e.name);
    x["fica_flag"] = BytesToJsonText(std::string(1, e.fica_flag));
    x["exempt_code"] = e.exempt_code;
    x["misc_amount_1"] = e.misc_amount_1;
    x["qtd"] = AmountsJson(e.qtd.values);
    x["ytd"] = AmountsJson(e.ytd.values);
    x["other"] = AmountsJson(e.other.values);
    x["plans"] = {e.plans[1], e.plans[2], e.plans[3]};
  }
  return x;
}

// The values the run decodes, in the order inspect reads their files.
Json DerivedJson(const DerivedValues& derived) {
  Json j = Json::object();
  if (const auto& c = derived.client) {
    j["client"] = {{"futa_rate", c->futa_rate}, {"futa_base", c->futa_base}, {"suta_rate", c->suta_rate},
                   {"suta_base", c->suta_base}, {"ein_shown", BytesToJsonText(EinText(c->ein_with_suffix))}};
  }
  if (derived.index_entries) j["index_entries"] = *derived.index_entries;
  if (const auto& months = derived.liability_months) j["liability_months"] = {(*months)[0], (*months)[1], (*months)[2]};
  if (derived.formula) {
    Json lines = Json::array();
    for (const auto& line : derived.formula->fields) lines.push_back({BytesToJsonText(line[0]), BytesToJsonText(line[1])});
    j["formula"] = lines;
  }
  if (const auto& r = derived.rates) {
    j["rates"] = {{"ss_rate1", r->ss_rate1},           {"ss_rate2", r->ss_rate2},
                  {"ss_base", r->ss_base},             {"medicare_rate1", r->medicare_rate1},
                  {"medicare_rate2", r->medicare_rate2}, {"second_base", r->second_base}};
  }
  return j;
}

// The document after its employees: the other files, the decoded values and the warnings.
void WriteDocumentTail(const Inspection& in, JsonOut& out) {
  const ClientDocument& doc = in.document;
  out.Put("plans_file", doc.folder.write_plans);
  if (doc.folder.liability) {
    Json records = Json::array();
    for (const std::string& r : *doc.folder.liability) records.push_back(BytesToJsonText(r));
    out.Put("liability", records);
  } else {
    out.Put("liability", nullptr);
  }
  if (doc.rates) {
    Json rates;
    for (std::size_t i = 0; i < 6; ++i) rates[kRatesFieldNames[i]] = BytesToJsonText((*doc.rates)[i]);
    out.Put("rates", rates);
  } else {
    out.Put("rates", nullptr);
  }
  if (doc.letterhead) {
    Json lines = Json::array();
    for (const std::string& line : *doc.letterhead) lines.push_back(BytesToJsonText(line));
    out.Put("letterhead", lines);
  } else {
    out.Put("letterhead", nullptr);
  }
  if (doc.saved_entries) {
    const SavedEntries& s = *doc.saved_entries;
    out.Put("saved_entries", {{"designee_name", BytesToJsonText(s.designee_name)},
                              {"designee_phone", BytesToJsonText(s.designee_phone)},
                              {"preparer_codes", BytesToJsonText(s.preparer_codes)},
                              {"state_code", BytesToJsonText(s.state_code)}});
  } else {
    out.Put("saved_entries", nullptr);
  }
  out.Put("derived", DerivedJson(in.derived));
  out.Put("warnings", in.warnings);
}

// Writes the document as the folder is read: its head once the client file is read, each
// employee as an item of its list.
class DocumentWriter final : public InspectionSink {
 public:
  explicit DocumentWriter(JsonOut& out) : out_(out) {}
  void Start(const Inspection& in) override {
    out_.OpenObject();
    WriteDocumentHead(in, out_);
    out_.OpenList("employees");
  }
  void OnEmployee(const EmployeeSpec& employee) override { out_.Item(EmployeeJson(employee)); }
  // After the last employee: the rest of the folder, the decoded values and every warning.
  void Finish(const Inspection& in) {
    out_.Close();
    WriteDocumentTail(in, out_);
    out_.Close();
  }

 private:
  JsonOut& out_;
};

}  // namespace

nlohmann::ordered_json ClientDocumentJson(const Inspection& in) {
  JsonTree tree;
  DocumentWriter writer(tree);
  writer.Start(in);
  for (const EmployeeSpec& e : in.document.folder.employees) writer.OnEmployee(e);
  writer.Finish(in);
  return tree.Take();
}

Inspection WriteClientDocumentJson(const std::string& data_dir, const std::string& rates_dir, JsonOut& out) {
  DocumentWriter writer(out);
  Inspection in = InspectClientFolder(data_dir, rates_dir, &writer);
  writer.Finish(in);
  return in;
}

namespace {

// A key as a JSON path names it ("~" and "/" escaped), cut short when long.
std::string PathStep(std::string_view key) {
  std::string step;
  for (char c : Excerpt(key)) {
    if (c == '~') step += "~0";
    else if (c == '/') step += "~1";
    else step += c;
  }
  return step;
}

// Builds the document's JSON tree from the parser's events, and turns what a plain parse would
// let pass or throw into errors: a key that appears twice in one object (a plain parse keeps the
// last value without a word) is named by its path, and text that is not JSON, a number beyond
// the range of a double included, is named by FILE:LINE:COLUMN with at most a short excerpt of
// the offending text.
class DocumentSax final : public nlohmann::json_sax<Json> {
 public:
  DocumentSax(std::string_view text, const std::string& file, std::vector<std::string>& errors)
      : text_(text), file_(file), errors_(errors) {}

  Json Take() { return std::move(root_); }

  bool null() override { return Put(nullptr); }
  bool boolean(bool value) override { return Put(value); }
  bool number_integer(number_integer_t value) override { return Put(value); }
  bool number_unsigned(number_unsigned_t value) override { return Put(value); }
  bool number_float(number_float_t value, const string_t&) override { return Put(value); }
  bool string(string_t& value) override { return Put(std::move(value)); }
  bool binary(binary_t& value) override { return Put(Json::binary(std::move(value))); }

  bool start_object(std::size_t) override { return Open(Json::object()); }
  bool start_array(std::size_t) override { return Open(Json::array()); }
  bool end_object() override { return Close(); }
  bool end_array() override { return Close(); }

  bool key(string_t& key) override {
    Frame& f = stack_.back();
    if (!f.keys.insert(key).second) {
      errors_.push_back(file_ + ": " + f.path + "/" + PathStep(key) + ": the key appears twice in one object");
    }
    key_ = std::move(key);
    return true;
  }

  bool parse_error(std::size_t position, const std::string& last_token, const nlohmann::detail::exception& ex) override {
    // Where the offending token starts: the parser reports the position after it.
    if (ex.id == 406 && position >= last_token.size()) position -= last_token.size();
    std::string what = ex.what();
    if (std::size_t tag = what.find("] "); tag != std::string::npos) what.erase(0, tag + 2);
    if (what.rfind("parse error", 0) == 0) {
      if (std::size_t colon = what.find(": "); colon != std::string::npos) what.erase(0, colon + 2);
    }
    if (last_token.size() > kExcerptBytes) {
      for (std::size_t at = what.find(last_token); at != std::string::npos; at = what.find(last_token, at + 1)) {
        what.replace(at, last_token.size(), Excerpt(last_token));
      }
    }
    errors_.push_back(file_ + ":" + Where(position) + ": not JSON: " + what);
    return false;
  }

 private:
  struct Frame {
    Json* value;
    std::string path;
    std::set<std::string> keys;
  };

  // The slot the next value goes into, and its path.
  Json& Slot(std::string& path) {
    if (stack_.empty()) return root_;
    Frame& f = stack_.back();
    if (f.value->is_array()) {
      path = f.path + "/" + std::to_string(f.value->size());
      f.value->push_back(nullptr);
      return f.value->back();
    }
    path = f.path + "/" + PathStep(key_);
    return (*f.value)[key_];
  }
  bool Put(Json value) {
    std::string path;
    Slot(path) = std::move(value);
    return true;
  }
  bool Open(Json container) {
    std::string path;
    Json& slot = Slot(path);
    slot = std::move(container);
    stack_.push_back({&slot, std::move(path), {}});
    return true;
  }
  bool Close() {
    stack_.pop_back();
    return true;
  }

  // LINE:COLUMN of a byte position of the text (both from 1).
  std::string Where(std::size_t position) const {
    position = std::min(position, text_.size());
    std::string_view before = text_.substr(0, position);
    std::size_t line = 1 + static_cast<std::size_t>(std::count(before.begin(), before.end(), '\n'));
    std::size_t line_start = before.rfind('\n');
    std::size_t column = line_start == std::string_view::npos ? position + 1 : position - line_start;
    return std::to_string(line) + ":" + std::to_string(column);
  }

  std::string_view text_;
  const std::string& file_;
  std::vector<std::string>& errors_;
  Json root_;
  std::vector<Frame> stack_;
  std::string key_;
};

// Reads the document's JSON values into plain values, with the path of each for its errors.
class DocumentReader {
 public:
  DocumentReader(std::string file, std::vector<std::string>& errors) : file_(std::move(file)), errors_(errors) {}

  void Error(const std::string& path, const std::string& what) { errors_.push_back(file_ + ": " + path + ": " + what); }

  // A text of at most `width` bytes.
  std::string Text(const Json& j, const std::string& path, std::size_t width) {
    if (!j.is_string()) {
      Error(path, "expected a text of at most " + std::to_string(width) + " bytes");
      return {};
    }
    std::optional<std::string> bytes = JsonTextToBytes(j.get<std::string>());
    if (!bytes) {
      Error(path, "expected single-byte text (characters U+0000 to U+00FF)");
      return {};
    }
    if (bytes->size() > width) {
      Error(path, "\"" + Excerpt(j.get<std::string>()) + "\" is " + std::to_string(bytes->size()) +
                      " bytes; the field holds at most " + std::to_string(width));
      return {};
    }
    return *bytes;
  }

  std::int64_t Integer(const Json& j, const std::string& path, std::int64_t low, std::int64_t high) {
    if (!IsWhole(j) || j.get<std::int64_t>() < low || j.get<std::int64_t>() > high) {
      Error(path, "expected a whole number from " + std::to_string(low) + " to " + std::to_string(high));
      return 0;
    }
    return j.get<std::int64_t>();
  }

  // Money: integer cents, or decimal text in dollars.
  Cents Money(const Json& j, const std::string& path) {
    if (j.is_number_integer()) {
      if (!IsWhole(j) || j.get<Cents>() < kLowestPacked || j.get<Cents>() > kHighestPacked) {
        Error(path, "the amount does not fit a packed amount");
        return 0;
      }
      return j.get<Cents>();
    }
    if (j.is_string()) {
      std::string why;
      if (auto c = ParseAmountText(j.get<std::string>(), why)) return *c;
      Error(path, why);
      return 0;
    }
    Error(path, "expected integer cents (123456) or decimal text (\"1234.56\")");
    return 0;
  }

  template <std::size_t N>
  std::array<Cents, N> Amounts(const Json& j, const std::string& path) {
    std::array<Cents, N> out{};
    if (!j.is_array() || j.size() > N) {
      Error(path, "expected a list of at most " + std::to_string(N) + " amounts");
      return out;
    }
    for (std::size_t i = 0; i < j.size(); ++i) out[i] = Money(j[i], path + "/" + std::to_string(i));
    return out;
  }

  // A whole number that a signed 64-bit integer holds (an unsigned one above it would wrap).
  static bool IsWhole(const Json& j) {
    return j.is_number_integer() &&
           !(j.is_number_unsigned() && j.get<std::uint64_t>() > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()));
  }

  // Every key of the object is one of `known`.
  bool Object(const Json& j, const std::string& path, std::initializer_list<const char*> known) {
    if (!j.is_object()) {
      Error(path.empty() ? "/" : path, "expected an object");
      return false;
    }
    for (const auto& [key, value] : j.items()) {
      bool found = false;
      for (const char* k : known) found = found || key == k;
      if (!found) Error(path + "/" + PathStep(key), "unknown key");
    }
    return true;
  }

 private:
  std::string file_;
  std::vector<std::string>& errors_;
};

}  // namespace

ClientDocument ParseClientDocument(std::string_view json_text, const std::string& file,
                                   std::vector<std::string>& errors) {
  ClientDocument doc;
  DocumentSax sax(json_text, file, errors);
  if (!Json::sax_parse(json_text.begin(), json_text.end(), &sax)) return doc;
  Json j = sax.Take();
  DocumentReader r(file, errors);
  if (!r.Object(j, "", {"format", "client", "employees", "plans_file", "liability", "rates", "letterhead",
                         "saved_entries", "derived", "warnings"})) {
    return doc;
  }
  if (!j.contains("format")) {
    r.Error("/format", "missing: expected \"" + std::string(kDocumentFormat) + "\"");
  } else if (!j["format"].is_string() || j["format"].get<std::string>() != kDocumentFormat) {
    r.Error("/format", "expected \"" + std::string(kDocumentFormat) + "\", got " + Excerpt(j["format"].dump()));
  }
  if (j.contains("client") && !j["client"].is_null()) {
    const Json& c = j["client"];
    if (r.Object(c, "/client", {"employer_name", "trade_name", "address", "payroll_date", "ein_suffix", "futa_rate",
                                "futa_base", "suta_rate", "suta_base", "ein", "city_line"})) {
      ClientSpec s;
      auto text = [&](const char* key, std::size_t width) {
        return c.contains(key) ? r.Text(c[key], std::string("/client/") + key, width) : std::string();
      };
      s.employer_name = text("employer_name", kEmployerNameWidth);
      s.trade_name = text("trade_name", kTradeNameWidth);
      s.address = text("address", kAddressWidth);
      s.payroll_date = text("payroll_date", kPayrollDateWidth);
      if (c.contains("ein_suffix")) s.ein_suffix = static_cast<std::uint8_t>(r.Integer(c["ein_suffix"], "/client/ein_suffix", 0, 255));
      s.futa_rate = text("futa_rate", kNumberFieldWidth);
      s.futa_base = text("futa_base", kNumberFieldWidth);
      s.suta_rate = text("suta_rate", kNumberFieldWidth);
      s.suta_base = text("suta_base", kNumberFieldWidth);
      s.ein = text("ein", kEinWidth);
      s.city_line = text("city_line", kCityLineWidth);
      doc.folder.client = s;
    }
  }
  if (j.contains("employees")) {
    const Json& list = j["employees"];
    std::vector<std::string> places, names;  // each employee's place in the document, for messages
    if (!list.is_array()) r.Error("/employees", "expected a list of employees");
    for (std::size_t i = 0; list.is_array() && i < list.size(); ++i) {
      std::string path = "/employees/" + std::to_string(i);
      const Json& x = list[i];
      if (!r.Object(x, path, {"record_number", "key", "index_key", "name", "fica_flag", "exempt_code", "misc_amount_1",
                              "qtd", "ytd", "other", "plans"})) {
        continue;
      }
      EmployeeSpec e;
      if (x.contains("record_number")) {
        e.record_number =
            static_cast<std::int16_t>(r.Integer(x["record_number"], path + "/record_number", kLowestIndexNumber, kHighestRecordNumber));
        e.literal_record_number = true;
        if (e.record_number < 1) {
          for (const auto& [key, value] : x.items()) {
            if (key != "record_number" && key != "key" && key != "index_key") r.Error(path + "/" + key, kNoRecordForData);
          }
        }
      }
      if (x.contains("key")) e.key = r.Text(x["key"], path + "/key", kKeyWidth);
      if (x.contains("index_key")) e.index_key = r.Text(x["index_key"], path + "/index_key", kKeyWidth);
      if (x.contains("name")) e.name = r.Text(x["name"], path + "/name", kNameWidth);
      if (x.contains("fica_flag")) {
        std::string flag = r.Text(x["fica_flag"], path + "/fica_flag", 1);
        e.fica_flag = flag.empty() ? ' ' : flag[0];
      }
      if (x.contains("exempt_code")) e.exempt_code = static_cast<std::uint8_t>(r.Integer(x["exempt_code"], path + "/exempt_code", 0, 255));
      if (x.contains("misc_amount_1")) e.misc_amount_1 = r.Money(x["misc_amount_1"], path + "/misc_amount_1");
      if (x.contains("qtd")) e.qtd.values = r.Amounts<kAmountItems>(x["qtd"], path + "/qtd");
      if (x.contains("ytd")) e.ytd.values = r.Amounts<kAmountItems>(x["ytd"], path + "/ytd");
      if (x.contains("other")) e.other.values = r.Amounts<kAmountItems>(x["other"], path + "/other");
      if (x.contains("plans")) e.plans.values = r.Amounts<kPlans>(x["plans"], path + "/plans");
      doc.folder.employees.push_back(std::move(e));
      places.push_back(file + ": " + path);
      names.push_back(path);
    }
    CheckRecordNumbers(doc.folder.employees, places, names, errors);
  }
  if (j.contains("plans_file")) {
    if (j["plans_file"].is_boolean()) doc.folder.write_plans = j["plans_file"].get<bool>();
    else r.Error("/plans_file", "expected true or false");
  }
  if (j.contains("liability") && !j["liability"].is_null()) {
    const Json& list = j["liability"];
    std::vector<std::string> records;
    if (!list.is_array()) r.Error("/liability", "expected a list of 10-byte records");
    for (std::size_t i = 0; list.is_array() && i < list.size(); ++i) {
      records.push_back(r.Text(list[i], "/liability/" + std::to_string(i), kLiabilityRecordLength));
    }
    doc.folder.liability = records;
  }
  if (j.contains("rates") && !j["rates"].is_null()) {
    const Json& x = j["rates"];
    if (r.Object(x, "/rates", {kRatesFieldNames[0], kRatesFieldNames[1], kRatesFieldNames[2], kRatesFieldNames[3], kRatesFieldNames[4], kRatesFieldNames[5]})) {
      std::array<std::string, 6> fields;
      for (std::size_t i = 0; i < 6; ++i) {
        if (x.contains(kRatesFieldNames[i])) fields[i] = r.Text(x[kRatesFieldNames[i]], std::string("/rates/") + kRatesFieldNames[i], kRatesFieldWidths[i]);
      }
      doc.rates = fields;
    }
  }
  if (j.contains("letterhead") && !j["letterhead"].is_null()) {
    const Json& list = j["letterhead"];
    std::array<std::string, 5> lines;
    if (!list.is_array() || list.size() > 5) r.Error("/letterhead", "expected a list of at most 5 lines");
    for (std::size_t i = 0; list.is_array() && i < list.size() && i < 5; ++i) {
      lines[i] = r.Text(list[i], "/letterhead/" + std::to_string(i), kLetterheadLineWidth);
    }
    doc.letterhead = lines;
  }
  if (j.contains("saved_entries") && !j["saved_entries"].is_null()) {
    const Json& x = j["saved_entries"];
    const char* keys[] = {"designee_name", "designee_phone", "preparer_codes", "state_code"};
    if (r.Object(x, "/saved_entries", {keys[0], keys[1], keys[2], keys[3]})) {
      SavedEntries s;
      std::string* fields[] = {&s.designee_name, &s.designee_phone, &s.preparer_codes, &s.state_code};
      for (std::size_t i = 0; i < 4; ++i) {
        if (!x.contains(keys[i])) continue;
        std::string path = std::string("/saved_entries/") + keys[i];
        *fields[i] = r.Text(x[keys[i]], path, 255);
        if (fields[i]->find_first_of("\r\n") != std::string::npos) r.Error(path, "expected one line (no CR or LF)");
      }
      s.lines = 4;
      doc.saved_entries = s;
    }
  }
  return doc;
}

}  // namespace qreport
