#include "json/client_document.h"

#include <algorithm>
#include <limits>
#include <map>
#include <set>

#include "data/client_file.h"
#include "data/client_rules.h"
#include "data/employee_files.h"
#include "data/liability_file.h"
#include "forms/employer_block.h"
#include "json/client_schema.h"
#include "json/document_rules.h"
#include "text/cp1252.h"
#include "text/json_text.h"

namespace qreport {
namespace {

using Json = nlohmann::ordered_json;
// The document as read: a plain tree, the one the validator's adapter reads.
using Tree = nlohmann::json;

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

// Builds the document's JSON tree from the parser's events, and turns what a plain parse would
// let pass or throw into errors: a key that appears twice in one object (a plain parse keeps the
// last value without a word) is named by its path, and text that is not JSON, a number beyond
// the range of a double included, is named by FILE:LINE:COLUMN with at most a short excerpt of
// the offending text.
class DocumentSax final : public nlohmann::json_sax<Tree> {
 public:
  DocumentSax(std::string_view text, const std::string& file, std::vector<std::string>& errors)
      : text_(text), file_(file), errors_(errors) {}

  Tree Take() { return std::move(root_); }

  bool null() override { return Put(nullptr); }
  bool boolean(bool value) override { return Put(value); }
  bool number_integer(number_integer_t value) override { return Put(value); }
  // A whole number beyond a signed 64-bit integer is kept as the number it is, a double: the
  // validator reads whole numbers as signed 64-bit ones, where it would wrap to a small one.
  bool number_unsigned(number_unsigned_t value) override {
    if (value > static_cast<number_unsigned_t>(std::numeric_limits<std::int64_t>::max())) return Put(static_cast<double>(value));
    return Put(value);
  }
  bool number_float(number_float_t value, const string_t&) override { return Put(value); }
  // A text that holds a character no byte is written as is noted with its place in the text,
  // for the reader's error (only the reader knows which strings are texts of the files).
  bool string(string_t& value) override {
    std::size_t ordinal = strings_++;
    std::string path;
    Tree& slot = Slot(path);
    TextProblem problem;
    if (!JsonTextToBytes(value, &problem)) text_places_[path] = Where(RawOffset(StringTokenStart(ordinal), problem.offset));
    slot = std::move(value);
    return true;
  }
  bool binary(binary_t& value) override { return Put(Tree::binary(std::move(value))); }

  bool start_object(std::size_t) override { return Open(Tree::object()); }
  bool start_array(std::size_t) override { return Open(Tree::array()); }
  bool end_object() override { return Close(); }
  bool end_array() override { return Close(); }

  bool key(string_t& key) override {
    Frame& f = stack_.back();
    if (!f.keys.insert(key).second) {
      errors_.push_back(file_ + ": " + f.path + "/" + PointerStep(key) + ": the key appears twice in one object");
    }
    key_ = std::move(key);
    ++strings_;
    return true;
  }

  // "LINE:COLUMN" of each text the reader may refuse for a character, by its path.
  const std::map<std::string, std::string>& text_places() const { return text_places_; }

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
    Tree* value;
    std::string path;
    std::set<std::string> keys;
  };

  // The slot the next value goes into, and its path.
  Tree& Slot(std::string& path) {
    if (stack_.empty()) return root_;
    Frame& f = stack_.back();
    if (f.value->is_array()) {
      path = f.path + "/" + std::to_string(f.value->size());
      f.value->push_back(nullptr);
      return f.value->back();
    }
    path = f.path + "/" + PointerStep(key_);
    return (*f.value)[key_];
  }
  bool Put(Tree value) {
    std::string path;
    Slot(path) = std::move(value);
    return true;
  }
  bool Open(Tree container) {
    std::string path;
    Tree& slot = Slot(path);
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

  // Where the string token `ordinal` (keys and values counted, from 0) starts in the text: the
  // tokens are found in order, from where the last search stopped, which is never in a string.
  std::size_t StringTokenStart(std::size_t ordinal) {
    while (scan_at_ < text_.size()) {
      std::size_t open = text_.find('"', scan_at_);
      if (open == std::string_view::npos) break;
      std::size_t at = open + 1;
      while (at < text_.size() && text_[at] != '"') at += text_[at] == '\\' ? 2 : 1;
      scan_at_ = at + 1;
      if (scanned_++ == ordinal) return open;
    }
    return text_.size();
  }

  // The offset in the text of byte `decoded` of the string whose token starts at `open`.
  std::size_t RawOffset(std::size_t open, std::size_t decoded) const {
    std::size_t at = open + 1, done = 0;
    auto hex = [&](std::size_t from) {
      return from + 4 <= text_.size() ? static_cast<char32_t>(std::stoul(std::string(text_.substr(from, 4)), nullptr, 16)) : 0;
    };
    while (at < text_.size() && text_[at] != '"' && done < decoded) {
      if (text_[at] != '\\') {
        std::size_t length = 1;
        while (at + length < text_.size() && (static_cast<unsigned char>(text_[at + length]) & 0xC0) == 0x80) ++length;
        at += length;
        done += length;
        continue;
      }
      if (at + 1 >= text_.size() || text_[at + 1] != 'u') {
        at += 2;
        done += 1;
        continue;
      }
      char32_t c = hex(at + 2);
      at += 6;
      if (c >= 0xD800 && c < 0xDC00 && at + 1 < text_.size() && text_[at] == '\\' && text_[at + 1] == 'u') {
        c = 0x10000;  // a surrogate pair: four bytes of UTF-8
        at += 6;
      }
      done += c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    }
    return at;
  }

  std::string_view text_;
  const std::string& file_;
  std::vector<std::string>& errors_;
  std::size_t strings_ = 0;   // the string tokens the parser has given so far
  std::size_t scan_at_ = 0;   // where StringTokenStart goes on searching
  std::size_t scanned_ = 0;   // the string tokens it has passed
  std::map<std::string, std::string> text_places_;
  Tree root_;
  std::vector<Frame> stack_;
  std::string key_;
};

// Reads a document into plain values. It reports only what the schema cannot say: text with a
// character code page 1252 lacks, the client's and employees' slips, money text that is no amount or beyond a packed amount, data given to
// an index entry that names no record, and record numbers that two employees claim or that run
// past the last record. A value of another type than the schema's (which the schema reports)
// reads as empty or zero.
class DocumentReader {
 public:
  DocumentReader(const std::string& file, const std::map<std::string, std::string>& text_places,
                 std::vector<std::string>& errors)
      : file_(file), text_places_(text_places), errors_(errors) {}

  void Error(const std::string& path, const std::string& what) { errors_.push_back(file_ + ": " + path + ": " + what); }

  // The bytes of a text: "" for what is no text.
  std::string Text(const Tree& value, const std::string& path) {
    if (!value.is_string()) return {};
    TextProblem problem;
    std::optional<std::string> bytes = JsonTextToBytes(value.get_ref<const std::string&>(), &problem);
    if (!bytes) {
      auto place = text_places_.find(path);
      std::string at = place == text_places_.end() ? "" : ":" + place->second;
      errors_.push_back(file_ + at + ": " + path + ": " + TextProblemText(problem) + " (docs/formats.md lists the characters)");
    }
    return bytes.value_or(std::string());
  }
  // The text under `key` of `object`, at `path` + "/" + key.
  std::string Text(const Tree& object, const char* key, const std::string& path) {
    auto found = object.find(key);
    return found == object.end() ? std::string() : Text(*found, path + "/" + key);
  }

  // The whole number under `key` of `object` when it is one that T holds; else nothing.
  template <typename T>
  static std::optional<T> Whole(const Tree& object, const char* key) {
    auto found = object.find(key);
    if (found == object.end() || !found->is_number_integer()) return std::nullopt;
    std::int64_t n = found->get<std::int64_t>();
    if (n < std::numeric_limits<T>::min() || n > std::numeric_limits<T>::max()) return std::nullopt;
    return static_cast<T>(n);
  }

  // Money: integer cents, or decimal text in dollars read to cents.
  Cents Money(const Tree& value, const std::string& path) {
    if (value.is_number_integer()) return value.get<Cents>();
    if (!value.is_string()) return 0;
    std::string why;
    if (std::optional<Cents> cents = ParseAmountText(value.get_ref<const std::string&>(), why)) return *cents;
    Error(path, why);
    return 0;
  }

  // The amounts of the list under `key` of `object`, from the first.
  template <std::size_t N>
  std::array<Cents, N> Amounts(const Tree& object, const char* key, const std::string& path) {
    std::array<Cents, N> amounts{};
    auto found = object.find(key);
    for (std::size_t i = 0; found != object.end() && found->is_array() && i < std::min(N, found->size()); ++i) {
      amounts[i] = Money((*found)[i], path + "/" + key + "/" + std::to_string(i));
    }
    return amounts;
  }

  ClientSpec Client(const Tree& c);
  void Employees(const Tree& list, std::vector<EmployeeSpec>& employees);
  void Files(const Tree& document, ClientDocument& doc);

 private:
  EmployeeSpec Employee(const Tree& x, const std::string& path, bool& number_read);

  const std::string& file_;
  const std::map<std::string, std::string>& text_places_;
  std::vector<std::string>& errors_;
};

ClientSpec DocumentReader::Client(const Tree& c) {
  ClientSpec s;
  const std::string path = "/client";
  s.employer_name = Text(c, "employer_name", path);
  s.trade_name = Text(c, "trade_name", path);
  s.address = Text(c, "address", path);
  s.payroll_date = Text(c, "payroll_date", path);
  s.ein_suffix = Whole<std::uint8_t>(c, "ein_suffix").value_or(0);
  s.futa_rate = Text(c, "futa_rate", path);
  s.futa_base = Text(c, "futa_base", path);
  s.suta_rate = Text(c, "suta_rate", path);
  s.suta_base = Text(c, "suta_base", path);
  s.ein = Text(c, "ein", path);
  s.city_line = Text(c, "city_line", path);
  auto rule = [&](const char* key, const std::optional<std::string>& problem) {
    if (problem) Error(path + "/" + key, Utf8FromCp1252(*problem));  // the rules quote the stored bytes
  };
  rule("ein", EinProblem(EinWithSuffix(s.ein, s.ein_suffix)));
  rule("payroll_date", PayrollDateProblem(s.payroll_date));
  CityStateZip split = SplitCityLine(s.city_line);
  rule("city_line", CityLineProblem(s.city_line, split.state, split.zip));
  return s;
}

EmployeeSpec DocumentReader::Employee(const Tree& x, const std::string& path, bool& number_read) {
  EmployeeSpec e;
  if (x.contains("record_number")) {
    std::optional<std::int16_t> number = Whole<std::int16_t>(x, "record_number");
    number_read = number.has_value();
    e.record_number = number.value_or(0);
    e.literal_record_number = true;
    if (number && *number < 1) {
      for (const auto& [key, value] : x.items()) {
        if (key != "record_number" && key != "key" && key != "index_key") Error(path + "/" + PointerStep(key), kNoRecordForData);
      }
    }
  }
  e.key = Text(x, "key", path);
  if (x.contains("index_key")) e.index_key = Text(x, "index_key", path);
  e.name = Text(x, "name", path);
  if (x.contains("fica_flag")) {
    std::string flag = Text(x, "fica_flag", path);
    std::optional<char> byte = FicaFlagFromText(flag);
    if (!byte) Error(path + "/fica_flag", "expected Y or N (yes or no, in any case), got \"" + Excerpt(BytesToJsonText(flag)) + "\"");
    e.fica_flag = byte.value_or(' ');
  }
  e.exempt_code = Whole<std::uint8_t>(x, "exempt_code").value_or(0);
  if (auto misc = x.find("misc_amount_1"); misc != x.end()) e.misc_amount_1 = Money(*misc, path + "/misc_amount_1");
  e.qtd.values = Amounts<kAmountItems>(x, "qtd", path);
  e.ytd.values = Amounts<kAmountItems>(x, "ytd", path);
  e.other.values = Amounts<kAmountItems>(x, "other", path);
  e.plans.values = Amounts<kPlans>(x, "plans", path);
  return e;
}

void DocumentReader::Employees(const Tree& list, std::vector<EmployeeSpec>& employees) {
  std::vector<std::string> places, names;  // each employee's place in the document, for messages
  bool numbers_read = true;  // a record number the schema refused gives the check nothing to go on
  for (std::size_t i = 0; list.is_array() && i < list.size(); ++i) {
    if (!list[i].is_object()) continue;
    std::string path = "/employees/" + std::to_string(i);
    bool number_read = true;
    employees.push_back(Employee(list[i], path, number_read));
    numbers_read = numbers_read && number_read;
    places.push_back(file_ + ": " + path);
    names.push_back(path);
  }
  if (numbers_read) CheckRecordNumbers(employees, places, names, errors_);
  CheckEmployeeKeys(employees, places, names, errors_);
}

// The files beside the client and employee files: plans, liability, rates, letterhead and the
// saved entries. A null (or absent) one is no such file.
void DocumentReader::Files(const Tree& j, ClientDocument& doc) {
  auto present = [&](const char* key) -> const Tree* {
    auto found = j.find(key);
    return found == j.end() || found->is_null() ? nullptr : &*found;
  };
  if (const Tree* plans = present("plans_file"); plans && plans->is_boolean()) doc.folder.write_plans = plans->get<bool>();
  if (const Tree* list = present("liability")) {
    std::vector<std::string> records;
    for (std::size_t i = 0; list->is_array() && i < list->size(); ++i) records.push_back(Text((*list)[i], "/liability/" + std::to_string(i)));
    doc.folder.liability = records;
  }
  if (const Tree* rates = present("rates")) {
    std::array<std::string, 6> fields;
    for (std::size_t i = 0; rates->is_object() && i < fields.size(); ++i) fields[i] = Text(*rates, kRatesFieldNames[i], "/rates");
    doc.rates = fields;
  }
  if (const Tree* list = present("letterhead")) {
    std::array<std::string, 5> lines;
    for (std::size_t i = 0; list->is_array() && i < std::min(lines.size(), list->size()); ++i) {
      lines[i] = Text((*list)[i], "/letterhead/" + std::to_string(i));
    }
    doc.letterhead = lines;
  }
  if (const Tree* saved = present("saved_entries"); saved && saved->is_object()) {
    SavedEntries s;
    s.designee_name = Text(*saved, "designee_name", "/saved_entries");
    s.designee_phone = Text(*saved, "designee_phone", "/saved_entries");
    s.preparer_codes = Text(*saved, "preparer_codes", "/saved_entries");
    s.state_code = Text(*saved, "state_code", "/saved_entries");
    s.lines = 4;
    doc.saved_entries = s;
  }
}

}  // namespace

ClientDocument ParseClientDocument(std::string_view json_text, const std::string& file,
                                   std::vector<std::string>& errors) {
  ClientDocument doc;
  DocumentSax sax(json_text, file, errors);
  if (!Tree::sax_parse(json_text.begin(), json_text.end(), &sax)) return doc;
  Tree j = sax.Take();
  CheckClientDocumentSchema(j, file, errors);
  if (!j.is_object()) return doc;
  DocumentReader reader(file, sax.text_places(), errors);
  if (auto client = j.find("client"); client != j.end() && client->is_object()) doc.folder.client = reader.Client(*client);
  if (auto employees = j.find("employees"); employees != j.end()) reader.Employees(*employees, doc.folder.employees);
  reader.Files(j, doc);
  return doc;
}

}  // namespace qreport
