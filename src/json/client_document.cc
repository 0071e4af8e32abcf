#include "json/client_document.h"

#include <csv.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <limits>
#include <map>
#include <set>
#include <memory>
#include <stdexcept>

#include "data/bytes.h"
#include "data/client_file.h"
#include "data/errors.h"
#include "data/employee_files.h"
#include "data/liability_file.h"
#include "data/paths.h"
#include "data/rates.h"
#include "data/record_file.h"
#include "forms/employer_block.h"
#include "json/json_stream.h"
#include "json/text_json.h"
#include "platform/files.h"
#include "text/ascii.h"
#include "text/numbers.h"

namespace qreport {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

constexpr std::array<std::size_t, 6> kRateWidths = {6, 6, 8, 6, 6, 8};
constexpr std::array<const char*, 6> kRateKeys = {"ss_rate1",       "ss_rate2",       "ss_base",
                                                  "medicare_rate1", "medicare_rate2", "second_base"};
// The cents a packed amount can hold: a signed 32-bit count of whole units and 0 to 99 hundredths.
constexpr Cents kLowestPacked = static_cast<Cents>(std::numeric_limits<std::int32_t>::min()) * 100;
constexpr Cents kHighestPacked = static_cast<Cents>(std::numeric_limits<std::int32_t>::max()) * 100 + 99;

// What the document's "format" key holds: the schema makes it a constant.
constexpr std::string_view kDocumentFormat = "qreport client folder 1";

// The bytes of a value an error message shows: a long value (a field of megabytes, say) is cut
// to its first bytes and "...", so that no message repeats it whole.
constexpr std::size_t kExcerptBytes = 40;
std::string Excerpt(std::string_view value) {
  if (value.size() <= kExcerptBytes) return std::string(value);
  std::size_t cut = kExcerptBytes;
  while (cut > 0 && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80) --cut;  // not inside a UTF-8 character
  return std::string(value.substr(0, cut)) + "...";
}

// A packed amount's cents; a hundredths byte above 99 is added as it stands, as the run adds it.
Cents PackedCentsAt(Bytes record, std::size_t offset, bool& odd_hundredths) {
  std::uint8_t hundredths = ByteAt(record, offset + 4);
  if (hundredths > 99) odd_hundredths = true;
  return static_cast<Cents>(Int32At(record, offset)) * 100 + hundredths;
}

// Text that the decimal rule reads as 0 although it is not a written zero.
bool ReadsAsZeroByAccident(std::string_view text) {
  std::string t = Trim(text);
  while (!t.empty() && t.back() == '\0') t.pop_back();
  if (t.empty()) return false;
  std::size_t i = 0;
  if (t[i] == '+' || t[i] == '-') ++i;
  if (i < t.size() && t[i] == '.') ++i;
  return !(i < t.size() && t[i] >= '0' && t[i] <= '9');
}

bool HasControlBytes(std::string_view text) {
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7F) return true;
  }
  return false;
}

bool Exists(const fs::path& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

// One inspection under way: a function for each section of the folder, in the order the document
// shows them, each adding what it read to the document, the decoded values and the warnings.
class FolderInspection {
 public:
  FolderInspection(const std::string& data_dir, const std::string& rates_dir, Inspection& in)
      : data_dir_(data_dir), rates_dir_(rates_dir), in_(in), doc_(in.document) {}

  FolderInspection(const FolderInspection&) = delete;
  FolderInspection& operator=(const FolderInspection&) = delete;
  ~FolderInspection();

  void Client();
  void OpenEmployees();
  // Each employee goes to `sink` when it is given (and is then not kept in the document).
  void Employees(InspectionSink* sink);
  void Liability();
  void Formula();
  void Rates();
  void Letterhead();
  void SavedEntries();

 private:
  struct EmployeeFiles;
  EmployeeSpec Employee(EmployeeFiles& files, std::int64_t entry);

  void Warn(std::string text) { in_.warnings.push_back(std::move(text)); }
  void CheckText(const std::string& where, std::string_view text) {
    if (HasControlBytes(text)) Warn(where + ": holds bytes outside printable text (printed as blanks)");
  }
  void CheckNumber(const std::string& where, std::string_view text) {
    if (ReadsAsZeroByAccident(text)) Warn(where + ": \"" + BytesToJsonText(Trim(text)) + "\" is no number and reads as 0");
  }

  static constexpr MissingFile kLook = MissingFile::kReadAsEmpty;
  const std::string& data_dir_;
  const std::string& rates_dir_;
  Inspection& in_;
  ClientDocument& doc_;
  std::unique_ptr<EmployeeFiles> employee_files_;
};

FolderInspection::~FolderInspection() = default;

// The client file: both records.
void FolderInspection::Client() {
  fs::path client_path = ResolveHostPath(data_dir_, kClientFileName);
  if (!Exists(client_path)) return;
  RecordFile file(client_path, kClientRecordLength, kLook);
  std::uint64_t size = file.size();
  if (size % kClientRecordLength != 0 || size < 2 * kClientRecordLength) {
    Warn("CLIENT: " + std::to_string(size) + " bytes, not two whole records of 151: the missing bytes read as zero");
  }
  std::vector<std::uint8_t> r1 = file.Read(1), r2 = file.Read(2);
  ClientSpec c;
  c.employer_name = TrimRight(TextAt(r1, kEmployerNameOffset, kEmployerNameWidth));
  c.trade_name = TrimRight(TextAt(r1, kTradeNameOffset, kTradeNameWidth));
  c.address = TrimRight(TextAt(r1, kAddressOffset, kAddressWidth));
  c.ein_suffix = ByteAt(r1, kEinSuffixOffset);
  c.payroll_date = TrimRight(TextAt(r1, kPayrollDateOffset, kPayrollDateWidth));
  c.futa_rate = TrimRight(TextAt(r2, kFutaRateOffset, kNumberFieldWidth));
  c.futa_base = TrimRight(TextAt(r2, kFutaBaseOffset, kNumberFieldWidth));
  c.suta_rate = TrimRight(TextAt(r2, kSutaRateOffset, kNumberFieldWidth));
  c.suta_base = TrimRight(TextAt(r2, kSutaBaseOffset, kNumberFieldWidth));
  c.ein = TrimRight(TextAt(r2, kEinOffset, kEinWidth));
  c.city_line = TrimRight(TextAt(r2, kCityLineOffset, kCityLineWidth));
  CheckText("CLIENT employer name", c.employer_name);
  CheckText("CLIENT trade name", c.trade_name);
  CheckText("CLIENT address", c.address);
  CheckText("CLIENT city line", c.city_line);
  CheckNumber("CLIENT FUTA rate", c.futa_rate);
  CheckNumber("CLIENT FUTA wage base", c.futa_base);
  CheckNumber("CLIENT SUTA rate", c.suta_rate);
  CheckNumber("CLIENT SUTA wage base", c.suta_base);
  CheckNumber("CLIENT payroll date", c.payroll_date);
  in_.derived["client"] = {{"futa_rate", ParseDecimal(c.futa_rate)},
                           {"futa_base", ParseDecimal(c.futa_base)},
                           {"suta_rate", ParseDecimal(c.suta_rate)},
                           {"suta_base", ParseDecimal(c.suta_base)},
                           {"ein_shown", BytesToJsonText(EinText(TrimRight(TextAt(r2, kEinOffset, kEinWidth)) +
                                                   (c.ein_suffix > 28 ? std::string(1, static_cast<char>(c.ein_suffix)) : "")))}};
  doc_.folder.client = c;
}

struct FolderInspection::EmployeeFiles {
  EmployeeFiles(const fs::path& index_path, const fs::path& master_path)
      : index(index_path, kIndexRecordLength, kLook), master(master_path, kEmployeeRecordLength, kLook) {}
  RecordFile index;
  RecordFile master;
  std::optional<RecordFile> plans;
  std::int64_t entries = 0;
  std::uint64_t master_records = 0;
};

// The employee files: index, master and plans, opened and measured before the first entry is read.
void FolderInspection::OpenEmployees() {
  fs::path index_path = ResolveHostPath(data_dir_, kIndexFileName);
  fs::path plans_path = ResolveHostPath(data_dir_, kPlansFileName);
  doc_.folder.write_plans = Exists(plans_path);
  if (!Exists(index_path)) return;
  employee_files_ = std::make_unique<EmployeeFiles>(index_path, ResolveHostPath(data_dir_, kEmployeeFileName));
  EmployeeFiles& files = *employee_files_;
  if (doc_.folder.write_plans) files.plans.emplace(plans_path, kPlansRecordLength, kLook);
  files.entries = IndexEntryCount(files.index.size());
  if (files.index.size() % kIndexRecordLength != 0) {
    Warn("EMPLOYEE.idx: " + std::to_string(files.index.size()) + " bytes, a partial last entry (" +
         std::to_string(files.entries) + " entries are read)");
  }
  if (files.master.size() % kEmployeeRecordLength != 0) {
    Warn("EMPLOYEE.fil: " + std::to_string(files.master.size()) + " bytes, a partial last record: its missing bytes read as zero");
  }
  if (files.plans && files.plans->size() % kPlansRecordLength != 0) {
    Warn("EMPLOYEE.PLANS: " + std::to_string(files.plans->size()) + " bytes, a partial last record: it is not read");
  }
  if (files.entries > 32767) {
    Warn("EMPLOYEE.idx: " + std::to_string(files.entries) +
         " entries, more than 32,767 (entries below record 1 are skipped; a run stops at the 32,768th employee)");
  }
  files.master_records = files.master.size() / kEmployeeRecordLength;
}

// Every entry of the index, in index order.
void FolderInspection::Employees(InspectionSink* sink) {
  if (!employee_files_) return;
  for (std::int64_t entry = 1; entry <= employee_files_->entries; ++entry) {
    EmployeeSpec e = Employee(*employee_files_, entry);
    if (sink != nullptr) {
      sink->OnEmployee(e);
    } else {
      doc_.folder.employees.push_back(std::move(e));
    }
  }
  in_.derived["index_entries"] = employee_files_->entries;
  employee_files_.reset();
}

// One index entry and the master and plans records it names.
EmployeeSpec FolderInspection::Employee(EmployeeFiles& files, std::int64_t entry) {
  std::vector<std::uint8_t> ix = files.index.Read(entry);
  std::string where = "employee entry " + std::to_string(entry);
  EmployeeSpec e;
  e.record_number = Int16At(ix, kIndexRecordNumberOffset);
  e.literal_record_number = true;
  std::string index_key = TrimRight(TextAt(ix, 0, kKeyWidth));
  e.key = index_key;
  if (e.record_number < 1) {
    Warn(where + ": record number " + std::to_string(e.record_number) + " is below 1: the entry is skipped");
    return e;
  }
  if (static_cast<std::uint64_t>(e.record_number) > files.master_records) {
    Warn(where + ": record number " + std::to_string(e.record_number) + " is past the end of EMPLOYEE.fil (" +
         std::to_string(files.master_records) + " records): its amounts read as zero");
  }
  std::vector<std::uint8_t> r = files.master.Read(e.record_number);
  bool odd = false;
  e.key = TrimRight(TextAt(r, kKeyOffset, kKeyWidth));
  if (index_key != e.key) e.index_key = index_key;
  e.name = TrimRight(TextAt(r, kNameOffset, kNameWidth));
  e.fica_flag = static_cast<char>(ByteAt(r, kFicaFlagOffset));
  e.misc_amount_1 = PackedCentsAt(r, kMiscAmount1Offset, odd);
  for (int item = 1; item <= kAmountItems; ++item) {
    std::size_t at = kPackedAmountLength * static_cast<std::size_t>(item - 1);
    e.other[item] = PackedCentsAt(r, kAmountsOtherOffset + at, odd);
    e.qtd[item] = PackedCentsAt(r, kAmountsQtdOffset + at, odd);
    e.ytd[item] = PackedCentsAt(r, kAmountsYtdOffset + at, odd);
  }
  e.exempt_code = ByteAt(r, kExemptCodeOffset);
  if (files.plans && static_cast<double>(e.record_number) <= static_cast<double>(files.plans->size()) / kPlansRecordLength) {
    std::vector<std::uint8_t> p = files.plans->Read(e.record_number);
    for (int plan = 1; plan <= kPlans; ++plan) {
      std::size_t at = static_cast<std::size_t>(plan - 1) * kPlanGroupLength + kPlanAmountAOffset;
      e.plans[plan] = PackedCentsAt(p, at, odd);
    }
  }
  if (odd) Warn(where + ": an amount's hundredths byte is above 99 (added as it stands)");
  CheckText(where + " key", e.key);
  CheckText(where + " name", e.name);
  return e;
}

// The liability file: the 10-byte records as they stand, and the quarter's three months.
void FolderInspection::Liability() {
  fs::path liability_path = ResolveHostPath(data_dir_, kLiabilityFileName);
  if (!Exists(liability_path)) return;
  std::string bytes = ReadWholeFile(liability_path);
  std::vector<std::string> records;
  for (std::size_t at = 0; at < bytes.size(); at += kLiabilityRecordLength) {
    records.push_back(bytes.substr(at, kLiabilityRecordLength));
    CheckNumber("PRLIAB record " + std::to_string(records.size()), records.back());
  }
  if (bytes.size() % kLiabilityRecordLength != 0) {
    Warn("PRLIAB: " + std::to_string(bytes.size()) + " bytes, a partial last record");
  }
  doc_.folder.liability = records;
  try {
    auto months = ReadLiabilityMonths(data_dir_, kLook);
    in_.derived["liability_months"] = {months[0], months[1], months[2]};
  } catch (const RunError&) {
  }
}

// The formula file, as the run reads it (only its first three lines).
void FolderInspection::Formula() {
  if (!Exists(ResolveHostPath(data_dir_, kFormulaFileName))) return;
  try {
    FormulaFile formula = ReadFormulaFile(data_dir_, kLook);
    Json lines = Json::array();
    for (const auto& line : formula.fields) lines.push_back({BytesToJsonText(line[0]), BytesToJsonText(line[1])});
    in_.derived["formula"] = lines;
  } catch (const RunError&) {
  }
}

// The rates file of the rates folder: its six text fields and the rates the run takes from them.
void FolderInspection::Rates() {
  fs::path rates_path = ResolveHostPath(rates_dir_, kRatesFileName);
  if (!Exists(rates_path)) return;
  std::string record = ReadWholeFile(rates_path);
  if (record.size() < kRatesRecordLength) Warn("FICA.RAT: " + std::to_string(record.size()) + " bytes, a partial record");
  record.resize(std::max(record.size(), kRatesRecordLength), '\0');
  std::array<std::string, 6> fields;
  std::size_t at = 0;
  for (std::size_t i = 0; i < 6; ++i) {
    fields[i] = TrimRight(record.substr(at, kRateWidths[i]));
    at += kRateWidths[i];
    CheckNumber(std::string("FICA.RAT ") + kRateKeys[i], fields[i]);
  }
  doc_.rates = fields;
  FicaRates r = ReadFicaRates(rates_dir_, kLook);
  in_.derived["rates"] = {{"ss_rate1", r.ss_rate1},           {"ss_rate2", r.ss_rate2},
                          {"ss_base", r.ss_base},             {"medicare_rate1", r.medicare_rate1},
                          {"medicare_rate2", r.medicare_rate2}, {"second_base", r.second_base}};
}

// The letterhead file of the rates folder: its five lines.
void FolderInspection::Letterhead() {
  fs::path letterhead_path = ResolveHostPath(rates_dir_, kLetterheadFileName);
  if (!Exists(letterhead_path)) return;
  std::string record = ReadWholeFile(letterhead_path);
  record.resize(std::max(record.size(), kLetterheadRecordLength), '\0');
  std::array<std::string, 5> lines;
  for (std::size_t i = 0; i < 5; ++i) {
    lines[i] = TrimRight(record.substr(i * kLetterheadLineWidth, kLetterheadLineWidth));
    CheckText("prep line " + std::to_string(i + 1), lines[i]);
  }
  doc_.letterhead = lines;
}

// The saved entries of the client folder.
void FolderInspection::SavedEntries() {
  fs::path saved_path = ResolveHostPath(data_dir_, kSavedEntriesFileName);
  if (Exists(saved_path)) doc_.saved_entries = ParseSavedEntries(ReadWholeFile(saved_path));
}

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
    for (std::size_t i = 0; i < 6; ++i) rates[kRateKeys[i]] = BytesToJsonText((*doc.rates)[i]);
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
  out.Put("derived", in.derived.is_null() ? Json::object() : in.derived);
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

Inspection InspectClientFolder(const std::string& data_dir, const std::string& rates_dir, InspectionSink* sink) {
  Inspection in;
  FolderInspection folder(data_dir, rates_dir, in);
  folder.Client();
  folder.OpenEmployees();
  if (sink != nullptr) sink->Start(in);
  folder.Employees(sink);
  folder.Liability();
  folder.Formula();
  folder.Rates();
  folder.Letterhead();
  folder.SavedEntries();
  return in;
}

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

std::optional<Cents> ParseAmountText(std::string_view text, std::string& why) {
  std::string_view t = text;
  while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
  while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
  bool negative = false;
  if (!t.empty() && (t.front() == '-' || t.front() == '+')) {
    negative = t.front() == '-';
    t.remove_prefix(1);
  }
  if (!t.empty() && t.front() == '$') t.remove_prefix(1);
  Cents whole = 0;
  int digits = 0, decimals = 0;
  bool point = false;
  for (char c : t) {
    if (c == ',' && !point && digits > 0) continue;
    if (c == '.' && !point) {
      point = true;
      continue;
    }
    if (c < '0' || c > '9' || decimals == 2 || (!point && digits >= 12)) {
      why = "expected an amount such as 1234.56 (at most two decimals)";
      return std::nullopt;
    }
    whole = whole * 10 + (c - '0');
    if (point) ++decimals; else ++digits;
  }
  if (digits + decimals == 0) {
    why = "expected an amount such as 1234.56";
    return std::nullopt;
  }
  for (; decimals < 2; ++decimals) whole *= 10;
  Cents cents = negative ? -whole : whole;
  if (cents < kLowestPacked || cents > kHighestPacked) {
    why = "the amount does not fit a packed amount (whole units from -2147483648 to 2147483647)";
    return std::nullopt;
  }
  return cents;
}

namespace {

// The error for what an index entry below record 1 is given beyond its key: such an entry names
// no record, so the name or amounts would be lost without a word.
constexpr const char* kNoRecordForData =
    "an entry whose record number is below 1 has no record (the run skips it): only its key can be given";

// Two employees that would leave the same bytes in their record.
bool SameRecord(const EmployeeSpec& a, const EmployeeSpec& b) {
  return a.key == b.key && a.name == b.name && a.fica_flag == b.fica_flag && a.misc_amount_1 == b.misc_amount_1 &&
         a.qtd.values == b.qtd.values && a.ytd.values == b.ytd.values && a.other.values == b.other.values &&
         a.exempt_code == b.exempt_code && a.plans.values == b.plans.values;
}

// Checks the record numbers the employees get when they are written (their own, or the next free
// one): an employee that needs the next free number when the last record is taken is an error
// naming the limit (reported once: every later one would repeat it), and so is a record that two
// employees with different contents would share, since the later one would overwrite the earlier.
// Entries that share a record with the same contents are kept: that is how inspect shows index
// entries that name one record. A message about employee i starts with `places[i]` (the file and
// where in it) and names an earlier one as `names[i]`.
void CheckRecordNumbers(const std::vector<EmployeeSpec>& employees, const std::vector<std::string>& places,
                        const std::vector<std::string>& names, std::vector<std::string>& errors) {
  constexpr std::size_t kFree = std::numeric_limits<std::size_t>::max();
  std::vector<std::size_t> holder(static_cast<std::size_t>(kHighestRecordNumber) + 1, kFree);
  int next = 1;
  for (std::size_t i = 0; i < employees.size(); ++i) {
    const EmployeeSpec& e = employees[i];
    int number = e.record_number;
    if (number == 0 && !e.literal_record_number) {
      if (next > kHighestRecordNumber) {
        errors.push_back(places[i] + ": employee " + std::to_string(i + 1) + " is more than the record files hold: they end at record " +
                         std::to_string(kHighestRecordNumber) + " (give record numbers to reuse free ones)");
        return;
      }
      number = next;
    }
    next = std::max(next, number + 1);
    if (number < 1) continue;
    std::size_t& first = holder[static_cast<std::size_t>(number)];
    if (first == kFree) {
      first = i;
    } else if (!SameRecord(employees[first], e)) {
      errors.push_back(places[i] + ": record number " + std::to_string(number) + " is already that of " + names[first] +
                       ", with other contents: one would overwrite the other");
    }
  }
}

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
    if (r.Object(x, "/rates", {kRateKeys[0], kRateKeys[1], kRateKeys[2], kRateKeys[3], kRateKeys[4], kRateKeys[5]})) {
      std::array<std::string, 6> fields;
      for (std::size_t i = 0; i < 6; ++i) {
        if (x.contains(kRateKeys[i])) fields[i] = r.Text(x[kRateKeys[i]], std::string("/rates/") + kRateKeys[i], kRateWidths[i]);
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

namespace {

// The columns of an employees CSV file.
enum class Column { kKey, kName, kFicaFlag, kExemptCode, kRecordNumber, kMisc, kQtd, kYtd, kOther, kPlan };

struct ColumnSpec {
  Column column;
  int item = 0;  // the item of qtd/ytd/other or the plan, from 1
};

std::optional<ColumnSpec> ColumnNamed(const std::string& name) {
  static const std::map<std::string, Column> plain = {
      {"key", Column::kKey},           {"name", Column::kName},
      {"fica_flag", Column::kFicaFlag}, {"exempt_code", Column::kExemptCode},
      {"record_number", Column::kRecordNumber}, {"misc_amount_1", Column::kMisc}};
  if (auto it = plain.find(name); it != plain.end()) return ColumnSpec{it->second};
  struct Group {
    const char* prefix;
    Column column;
    std::size_t count;
  } groups[] = {{"qtd", Column::kQtd, 9}, {"ytd", Column::kYtd, 9}, {"other", Column::kOther, 9}, {"plan", Column::kPlan, 3}};
  for (const Group& g : groups) {
    std::string prefix = g.prefix;
    if (name.size() == prefix.size() + 1 && name.compare(0, prefix.size(), prefix) == 0 && name.back() >= '1' &&
        name.back() <= static_cast<char>('0' + g.count)) {
      return ColumnSpec{g.column, name.back() - '0'};
    }
  }
  return std::nullopt;
}

struct CsvState {
  std::vector<std::vector<std::string>> rows;
  std::vector<std::size_t> row_lines;
  std::vector<std::string> current;
  std::size_t line = 1;
  std::size_t row_start = 1;
  std::size_t field_end_line = 0;  // the line the last field ended on, within the current row
  std::size_t row_end_line = 0;    // the line the last row ended on
};

void CsvField(void* data, std::size_t length, void* context) {
  auto* s = static_cast<CsvState*>(context);
  if (s->current.empty()) s->row_start = s->line;
  s->current.emplace_back(static_cast<const char*>(data), length);
  s->field_end_line = s->line;
}

void CsvRow(int, void* context) {
  auto* s = static_cast<CsvState*>(context);
  s->rows.push_back(std::move(s->current));
  s->row_lines.push_back(s->row_start);
  s->current.clear();
  s->row_end_line = s->line;
}

// The line the field left unfinished at the end of `csv` starts on: the line of the field
// before it in its row, or else the first line after the last row that holds anything.
std::size_t UnfinishedFieldLine(std::string_view csv, const CsvState& state) {
  if (!state.current.empty()) return state.field_end_line;
  std::size_t line = 1, at = 0;
  for (; line <= state.row_end_line && at < csv.size(); ++line) {
    std::size_t end = csv.find('\n', at);
    at = end == std::string_view::npos ? csv.size() : end + 1;
  }
  while (at < csv.size() && (csv[at] == '\n' || csv[at] == '\r')) {
    if (csv[at] == '\n') ++line;
    ++at;
  }
  return line;
}

// The rows of `csv`, each with the line it starts on; false with an error naming the line when
// it is not CSV.
bool ParseCsvRows(std::string_view csv, const std::string& file, CsvState& state, std::vector<std::string>& errors) {
  csv_parser parser;
  if (csv_init(&parser, CSV_APPEND_NULL) != 0) {
    errors.push_back(file + ": cannot start the CSV reader");
    return false;
  }
  // Fed one line at a time, so that every row knows the line it starts on.
  std::size_t at = 0;
  bool failed = false;
  while (at < csv.size() && !failed) {
    std::size_t end = csv.find('\n', at);
    end = end == std::string_view::npos ? csv.size() : end + 1;
    if (csv_parse(&parser, csv.data() + at, end - at, CsvField, CsvRow, &state) != end - at) failed = true;
    if (!failed && csv[end - 1] == '\n') ++state.line;
    at = end;
  }
  // A quote still open at the end would take the rest of the file into one field: the strict
  // end refuses it (strict only there, so that a stray quote inside a field stays as it is).
  bool open_quote = false;
  if (!failed) {
    csv_set_opts(&parser, CSV_APPEND_NULL | CSV_STRICT | CSV_STRICT_FINI);
    open_quote = csv_fini(&parser, CsvField, CsvRow, &state) != 0;
  }
  std::string why = failed ? csv_strerror(csv_error(&parser)) : "";
  csv_free(&parser);
  if (open_quote) {
    errors.push_back(file + ":" + std::to_string(UnfinishedFieldLine(csv, state)) + ":" +
                     std::to_string(state.current.size() + 1) + ": a quoted field is not closed before the end of the file");
    return false;
  }
  if (failed) {
    errors.push_back(file + ":" + std::to_string(state.line) + ": not CSV: " + why);
    return false;
  }
  return true;
}

// The columns the header row names, an error for each name no column has and for a header
// without "key".
std::vector<std::optional<ColumnSpec>> HeaderColumns(const CsvState& state, const std::string& file,
                                                     std::vector<std::string>& errors) {
  std::vector<std::optional<ColumnSpec>> columns;
  std::map<std::string, std::size_t> seen;  // each column's name and where it is
  bool has_key = false;
  for (std::size_t c = 0; c < state.rows[0].size(); ++c) {
    std::string name = Trim(state.rows[0][c]);
    if (c == 0 && name.rfind("\xEF\xBB\xBF", 0) == 0) name.erase(0, 3);  // a spreadsheet's byte order mark
    columns.push_back(ColumnNamed(name));
    std::string where = file + ":" + std::to_string(state.row_lines[0]) + ":" + std::to_string(c + 1) + ": ";
    if (!columns.back()) {
      errors.push_back(where + "unknown column \"" + Excerpt(name) + "\" (docs/formats.md lists the columns)");
      continue;
    }
    if (auto [it, fresh] = seen.emplace(name, c + 1); !fresh) {
      errors.push_back(where + "column \"" + name + "\" is named twice (first as column " + std::to_string(it->second) + ")");
    }
    if (columns.back()->column == Column::kKey) has_key = true;
  }
  if (!has_key) errors.push_back(file + ":" + std::to_string(state.row_lines[0]) + ": the header has no column \"key\"");
  return columns;
}

// One field of an employee row read as what its column holds; a value that does not fit adds an
// error that begins with `where` (file, line, column and the column's name) and reads as empty.
struct FieldValue {
  const std::string& value;
  std::string where;
  std::vector<std::string>& errors;

  std::string Text(std::size_t width) const {
    if (value.size() > width) {
      errors.push_back(where + "\"" + Excerpt(value) + "\" is " + std::to_string(value.size()) + " bytes; the field holds at most " +
                       std::to_string(width));
    }
    return value.substr(0, width);
  }

  Cents Amount() const {
    if (Trim(value).empty()) return 0;
    std::string why;
    if (auto cents = ParseAmountText(value, why)) return *cents;
    errors.push_back(where + why + ", got \"" + Excerpt(value) + "\"");
    return 0;
  }

  std::int64_t Whole(std::int64_t low, std::int64_t high) const {
    std::string t = Trim(value);
    if (t.empty()) return 0;
    std::size_t i = t[0] == '-' ? 1 : 0;
    bool digits = i < t.size() && t.size() - i <= 6 && t.find_first_not_of("0123456789", i) == std::string::npos;
    std::int64_t v = digits ? std::stoll(t) : low - 1;
    if (v < low || v > high) {
      errors.push_back(where + "expected a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
                       ", got \"" + Excerpt(value) + "\"");
      return 0;
    }
    return v;
  }
};

// Sets the employee's field of column `spec` from `f`.
void SetEmployeeField(EmployeeSpec& e, const ColumnSpec& spec, const FieldValue& f) {
  switch (spec.column) {
    case Column::kKey: e.key = f.Text(kKeyWidth); break;
    case Column::kName: e.name = f.Text(kNameWidth); break;
    case Column::kFicaFlag: {
      std::string flag = Trim(f.value);
      if (flag.size() > 1) f.errors.push_back(f.where + "expected one character such as Y, got \"" + Excerpt(f.value) + "\"");
      e.fica_flag = flag.empty() ? 'Y' : flag[0];
      break;
    }
    case Column::kExemptCode: e.exempt_code = static_cast<std::uint8_t>(f.Whole(0, 255)); break;
    case Column::kRecordNumber:
      if (!Trim(f.value).empty()) {
        e.record_number = static_cast<std::int16_t>(f.Whole(kLowestIndexNumber, kHighestRecordNumber));
        e.literal_record_number = true;
      }
      break;
    case Column::kMisc: e.misc_amount_1 = f.Amount(); break;
    case Column::kQtd: e.qtd[spec.item] = f.Amount(); break;
    case Column::kYtd: e.ytd[spec.item] = f.Amount(); break;
    case Column::kOther: e.other[spec.item] = f.Amount(); break;
    case Column::kPlan: e.plans[spec.item] = f.Amount(); break;
  }
}

}  // namespace

std::vector<EmployeeSpec> ReadEmployeesCsv(std::string_view csv, const std::string& file, std::vector<std::string>& errors) {
  std::vector<EmployeeSpec> employees;
  CsvState state;
  if (!ParseCsvRows(csv, file, state, errors)) return employees;
  if (state.rows.empty()) {
    errors.push_back(file + ":1: expected a header row naming the columns (key,name,...)");
    return employees;
  }
  std::vector<std::optional<ColumnSpec>> columns = HeaderColumns(state, file, errors);
  if (!errors.empty()) return employees;

  std::size_t record_column = 0;  // where record_number is, from 1 (0: no such column)
  for (std::size_t c = 0; c < columns.size(); ++c) {
    if (columns[c]->column == Column::kRecordNumber) record_column = c + 1;
  }
  std::vector<std::string> places, names;  // each employee's line, for messages
  for (std::size_t r = 1; r < state.rows.size(); ++r) {
    const std::vector<std::string>& row = state.rows[r];
    std::string line = file + ":" + std::to_string(state.row_lines[r]) + ":";
    if (row.size() == 1 && Trim(row[0]).empty()) continue;  // an empty line
    if (row.size() > columns.size()) {
      errors.push_back(line + std::to_string(columns.size() + 1) + ": more fields than the header names");
      continue;
    }
    if (row.size() < columns.size()) {
      // A row cut short (a lost delimiter or line end) would shift or drop amounts unseen.
      errors.push_back(line + std::to_string(row.size() + 1) + ": " + std::to_string(row.size()) + " fields where the header names " +
                       std::to_string(columns.size()));
      continue;
    }
    EmployeeSpec e;
    for (std::size_t c = 0; c < row.size(); ++c) {
      SetEmployeeField(e, *columns[c], {row[c], line + std::to_string(c + 1) + ": " + Trim(state.rows[0][c]) + ": ", errors});
    }
    if (e.literal_record_number && e.record_number < 1) {
      for (std::size_t c = 0; c < row.size(); ++c) {
        Column column = columns[c]->column;
        if (column != Column::kKey && column != Column::kRecordNumber && !Trim(row[c]).empty()) {
          errors.push_back(line + std::to_string(c + 1) + ": " + Trim(state.rows[0][c]) + ": " + kNoRecordForData);
        }
      }
    }
    employees.push_back(std::move(e));
    places.push_back(line + std::to_string(record_column == 0 ? 1 : record_column));
    names.push_back("line " + std::to_string(state.row_lines[r]));
  }
  CheckRecordNumbers(employees, places, names, errors);
  return employees;
}

namespace {

// Flushes a written file or folder to the disk.
void Sync(const fs::path& path) {
  int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) throw std::runtime_error("cannot open " + path.string() + " to sync it");
  bool ok = ::fsync(fd) == 0;
  ::close(fd);
  if (!ok) throw std::runtime_error("cannot sync " + path.string());
}

// A new empty folder in `parent` whose name starts with `prefix`, made unique by the platform.
fs::path NewFolderIn(const fs::path& parent, const std::string& prefix) {
  fs::path made = CreateTemporaryFolderIn(parent, prefix);
  if (made.empty()) {
    throw std::runtime_error("cannot make a folder in " + parent.string() + ": " + std::strerror(errno));
  }
  return made;
}

void SyncFilesAndFolder(const fs::path& folder) {
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.is_regular_file()) Sync(entry.path());
  }
  Sync(folder);
}

// A file of `folder` written and synced in a temporary folder beside it, waiting to replace the
// file of its name there: until Commit, the folder is untouched; a staging that is not committed
// leaves nothing behind.
class StagedFile {
 public:
  template <typename Write>
  StagedFile(const fs::path& folder, std::string name, Write write)
      : folder_(folder), name_(std::move(name)), temp_(NewFolderIn(folder, "." + name_ + ".import-")) {
    try {
      write(temp_);
      Sync(temp_ / name_);
    } catch (...) {
      Discard();
      throw;
    }
  }
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;
  ~StagedFile() { Discard(); }

  // Renames the file into its folder.
  void Commit() {
    fs::rename(temp_ / name_, folder_ / name_);
    Discard();
    Sync(folder_);
  }

 private:
  void Discard() {
    std::error_code ec;
    if (!temp_.empty()) fs::remove_all(temp_, ec);
    temp_.clear();
  }

  fs::path folder_;
  std::string name_;
  fs::path temp_;
};

// The folder `data_dir` names, as an absolute path without a trailing separator, "." or "..".
// Refused when it is the root folder: a client folder is built beside its target, and the root
// has nothing beside it (nor a folder above it: taking the parent of "/" gives "/" again).
fs::path ClientFolderTarget(const fs::path& data_dir) {
  if (data_dir.empty()) throw std::runtime_error("no client folder named");
  std::error_code ec;
  fs::path target = fs::absolute(data_dir, ec);
  if (ec) throw std::runtime_error("cannot tell where " + data_dir.string() + " is: " + ec.message());
  auto trim = [&] {
    while (target.has_relative_path() && target.filename().empty()) target = target.parent_path();  // "dir/" names dir
  };
  trim();
  if (target.filename() == "." || target.filename() == "..") {
    target = target.lexically_normal();
    trim();
  }
  if (!target.has_relative_path()) {
    throw std::runtime_error(data_dir.string() + " is the root folder: a client folder must be a folder of its own below it");
  }
  return target;
}

}  // namespace

void WriteClientDocumentFiles(const ClientDocument& doc, const fs::path& folder, bool with_rates) {
  WriteClientFolder(folder, doc.folder);
  if (with_rates) {
    if (doc.rates) WriteRatesFile(folder, *doc.rates);
    if (doc.letterhead) WriteLetterheadFile(folder, *doc.letterhead);
  }
  if (doc.saved_entries) WriteBytes(folder / "save941.info", SavedEntriesText(*doc.saved_entries));
}

void WriteClientDocument(const ClientDocument& doc, const fs::path& data_dir, const fs::path& rates_dir, bool force) {
  fs::path target = ClientFolderTarget(data_dir);
  fs::path parent = target.parent_path();
  std::error_code ec;
  auto status = fs::symlink_status(target, ec);
  bool exists = fs::exists(status);
  if (exists && !fs::is_directory(status)) throw std::runtime_error(data_dir.string() + " exists and is not a folder");
  if (exists && IsMountPoint(target)) {
    throw std::runtime_error(data_dir.string() +
                             " is a mount point: it cannot be replaced by a folder built beside it (name a folder inside it)");
  }
  if (exists && !fs::is_empty(target, ec) && !force) {
    throw std::runtime_error(data_dir.string() + " is not empty (--force replaces it)");
  }
  if (!fs::is_directory(parent, ec)) throw std::runtime_error("no folder " + parent.string() + " to put the client folder in");

  fs::path temp;
  fs::path old;
  // The rates folder's files wait, written and synced, until the client folder is in place:
  // an import that fails before leaves them as they were.
  std::vector<std::unique_ptr<StagedFile>> staged;
  try {
    temp = NewFolderIn(parent, "." + target.filename().string() + ".import-");
    WriteClientDocumentFiles(doc, temp, /*with_rates=*/rates_dir.empty());
    SyncFilesAndFolder(temp);
    if (!rates_dir.empty()) {
      if (doc.rates) {
        staged.push_back(std::make_unique<StagedFile>(rates_dir, "FICA.RAT", [&](const fs::path& t) { WriteRatesFile(t, *doc.rates); }));
      }
      if (doc.letterhead) {
        staged.push_back(
            std::make_unique<StagedFile>(rates_dir, "prep", [&](const fs::path& t) { WriteLetterheadFile(t, *doc.letterhead); }));
      }
    }
    if (exists) {
      // The old folder moves aside first, so that the new one is renamed into a free name. It
      // moves over an empty folder made for it, which keeps its name from any other.
      old = NewFolderIn(parent, "." + target.filename().string() + ".old-");
      fs::rename(target, old);
    }
    fs::rename(temp, target);
    temp.clear();
    Sync(parent);
  } catch (...) {
    if (!old.empty() && !fs::exists(target, ec)) fs::rename(old, target, ec);
    if (!old.empty()) fs::remove(old, ec);  // still the empty folder when the move failed
    if (!temp.empty()) fs::remove_all(temp, ec);
    throw;
  }
  if (!old.empty()) fs::remove_all(old, ec);
  try {
    for (auto& file : staged) file->Commit();
  } catch (const std::exception& e) {
    throw std::runtime_error(std::string("the client folder was written, but not every file of the rates folder: ") + e.what());
  }
}

}  // namespace qreport
