// Reading a client folder for what it holds, without writing anything: each file decoded as the
// run decodes it, and a warning for whatever the run would read as zero or skip.
#include "data/folder_inspection.h"

#include <algorithm>
#include <memory>

#include "data/bytes.h"
#include "data/client_file.h"
#include "data/client_rules.h"
#include "data/employee_files.h"
#include "data/errors.h"
#include "data/letterhead_file.h"
#include "data/liability_file.h"
#include "data/paths.h"
#include "data/rates.h"
#include "data/record_file.h"
#include "text/ascii.h"
#include "text/json_text.h"
#include "text/numbers.h"

namespace qreport {
namespace {

namespace fs = std::filesystem;

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

// What a text holds that prints as no letter: control bytes, or the bytes code page 1252 leaves
// undefined.
std::optional<std::string> TextWarning(std::string_view text) {
  if (HasControlBytes(text)) return "holds bytes outside printable text (printed as blanks)";
  return TextBytesProblem(text);
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
  // What another reading of the employee files found (a run's walk), in their place.
  void EmployeesSeen(const EmployeeInspection& seen);
  // The files after the employee files, in the document's order.
  void Rest() {
    Liability();
    Formula();
    Rates();
    Letterhead();
    SavedEntries();
  }

 private:
  struct EmployeeFiles;

  void Warn(std::string text) { in_.warnings.push_back(std::move(text)); }
  void CheckText(const std::string& where, std::string_view text) {
    if (auto problem = TextWarning(text)) Warn(where + ": " + *problem);
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
  std::uint64_t size = file.byte_length();
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
  in_.derived.client = DerivedClient{ParseDecimal(c.futa_rate), ParseDecimal(c.futa_base), ParseDecimal(c.suta_rate),
                                     ParseDecimal(c.suta_base),
                                     c.ein + (c.ein_suffix > 28 ? std::string(1, static_cast<char>(c.ein_suffix)) : "")};
  doc_.folder.client = c;
}

struct FolderInspection::EmployeeFiles {
  EmployeeFiles(const fs::path& index_path, const fs::path& master_path)
      : index(index_path, kIndexRecordLength, kLook), master(master_path, kEmployeeRecordLength, kLook) {}
  RecordFile index;
  RecordFile master;
  std::optional<RecordFile> plans;
  EmployeeInspection inspection;
};

// The employee files: index, master and plans, opened and measured before the first entry is read.
void FolderInspection::OpenEmployees() {
  fs::path index_path = ResolveHostPath(data_dir_, kIndexFileName);
  fs::path plans_path = ResolveHostPath(data_dir_, kPlansFileName);
  doc_.folder.write_plans = Exists(plans_path);
  if (!Exists(index_path)) return;
  employee_files_ = std::make_unique<EmployeeFiles>(index_path, ResolveHostPath(data_dir_, kEmployeeFileName));
  EmployeeFiles& files = *employee_files_;
  std::optional<std::uint64_t> plans_size;
  if (doc_.folder.write_plans) plans_size = files.plans.emplace(plans_path, kPlansRecordLength, kLook).byte_length();
  files.inspection.Open(files.index.byte_length(), files.master.byte_length(), plans_size);
  for (std::string& warning : files.inspection.TakeWarnings()) Warn(std::move(warning));
}

// Every entry of the index, in index order, and the master and plans records it names.
void FolderInspection::Employees(InspectionSink* sink) {
  if (!employee_files_) return;
  EmployeeFiles& files = *employee_files_;
  EmployeeInspection& inspection = files.inspection;
  for (std::int64_t entry = 1; entry <= inspection.entries(); ++entry) {
    std::vector<std::uint8_t> index = files.index.Read(entry), master, plans;
    const std::int16_t number = Int16At(index, kIndexRecordNumberOffset);
    if (number >= 1) {
      master = files.master.Read(number);
      if (files.plans && static_cast<double>(number) <= static_cast<double>(files.plans->byte_length()) / kPlansRecordLength) {
        plans = files.plans->Read(number);
      }
    }
    inspection.OnEntry(entry, index, master, plans);
    for (std::string& warning : inspection.TakeWarnings()) Warn(std::move(warning));
    if (sink != nullptr) {
      sink->OnEmployee(inspection.employee());
    } else {
      doc_.folder.employees.push_back(inspection.employee());
    }
  }
  in_.derived.index_entries = inspection.entries();
  employee_files_.reset();
}

// What another reading of the employee files found, in their place.
void FolderInspection::EmployeesSeen(const EmployeeInspection& seen) {
  doc_.folder.write_plans = Exists(ResolveHostPath(data_dir_, kPlansFileName));
  for (const std::string& warning : seen.warnings()) Warn(warning);
  in_.derived.index_entries = seen.entries();
}

}  // namespace

void EmployeeInspection::Open(std::uint64_t index_size, std::uint64_t master_size,
                              std::optional<std::uint64_t> plans_size) {
  opened_ = true;
  entries_ = IndexEntryCount(index_size);
  if (index_size % kIndexRecordLength != 0) {
    Warn("EMPLOYEE.idx: " + std::to_string(index_size) + " bytes, a partial last entry (" + std::to_string(entries_) +
         " entries are read)");
  }
  if (master_size % kEmployeeRecordLength != 0) {
    Warn("EMPLOYEE.fil: " + std::to_string(master_size) + " bytes, a partial last record: its missing bytes read as zero");
  }
  if (plans_size && *plans_size % kPlansRecordLength != 0) {
    Warn("EMPLOYEE.PLANS: " + std::to_string(*plans_size) + " bytes, a partial last record: it is not read");
  }
  if (entries_ > kMostEmployees) {
    Warn("EMPLOYEE.idx: " + std::to_string(entries_) +
         " entries, more than 32,767 (entries below record 1 are skipped; a run stops at the 32,768th employee)");
  }
  master_records_ = master_size / kEmployeeRecordLength;
}

void EmployeeInspection::OnEntry(std::int64_t entry, Bytes index, Bytes master, Bytes plans) {
  const std::string where = "employee entry " + std::to_string(entry);
  EmployeeSpec& employee = employee_;
  employee = EmployeeSpec{};
  employee.record_number = Int16At(index, kIndexRecordNumberOffset);
  employee.literal_record_number = true;
  const std::string index_key = TrimRight(TextAt(index, 0, kKeyWidth));
  employee.key = index_key;
  if (employee.record_number < 1) {
    Warn(where + ": record number " + std::to_string(employee.record_number) + " is below 1: the entry is skipped");
    return;
  }
  if (static_cast<std::uint64_t>(employee.record_number) > master_records_) {
    Warn(where + ": record number " + std::to_string(employee.record_number) + " is past the end of EMPLOYEE.fil (" +
         std::to_string(master_records_) + " records): its amounts read as zero");
  }
  bool odd = false;
  employee.key = TrimRight(TextAt(master, kKeyOffset, kKeyWidth));
  if (index_key != employee.key) employee.index_key = index_key;
  employee.name = TrimRight(TextAt(master, kNameOffset, kNameWidth));
  employee.fica_flag = static_cast<char>(ByteAt(master, kFicaFlagOffset));
  employee.misc_amount_1 = PackedCentsAt(master, kMiscAmount1Offset, odd);
  for (int item = 1; item <= kAmountItems; ++item) {
    std::size_t at = kPackedAmountLength * static_cast<std::size_t>(item - 1);
    employee.other[item] = PackedCentsAt(master, kAmountsOtherOffset + at, odd);
    employee.qtd[item] = PackedCentsAt(master, kAmountsQtdOffset + at, odd);
    employee.ytd[item] = PackedCentsAt(master, kAmountsYtdOffset + at, odd);
  }
  employee.exempt_code = ByteAt(master, kExemptCodeOffset);
  if (!plans.empty()) {
    for (int plan = 1; plan <= kPlans; ++plan) {
      std::size_t at = static_cast<std::size_t>(plan - 1) * kPlanGroupLength + kPlanAmountAOffset;
      employee.plans[plan] = PackedCentsAt(plans, at, odd);
    }
  }
  if (odd) Warn(where + ": an amount's hundredths byte is above 99 (added as it stands)");
  if (auto problem = TextWarning(employee.key)) Warn(where + " key: " + *problem);
  if (auto problem = TextWarning(employee.name)) Warn(where + " name: " + *problem);
}

namespace {

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
    in_.derived.liability_months = ReadLiabilityMonths(data_dir_, kLook);
  } catch (const RunError&) {
  }
}

// The formula file, as the run reads it (only its first three lines).
void FolderInspection::Formula() {
  if (!Exists(ResolveHostPath(data_dir_, kFormulaFileName))) return;
  try {
    in_.derived.formula = ReadFormulaFile(data_dir_, kLook);
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
    fields[i] = TrimRight(record.substr(at, kRatesFieldWidths[i]));
    at += kRatesFieldWidths[i];
    CheckNumber(std::string("FICA.RAT ") + kRatesFieldNames[i], fields[i]);
  }
  doc_.rates = fields;
  in_.derived.rates = ReadFicaRates(rates_dir_);
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

}  // namespace

Inspection InspectClientFolder(const std::string& data_dir, const std::string& rates_dir, InspectionSink* sink,
                               const EmployeeInspection* seen) {
  Inspection in;
  FolderInspection folder(data_dir, rates_dir, in);
  folder.Client();
  if (seen != nullptr && seen->opened()) {
    folder.EmployeesSeen(*seen);
  } else {
    folder.OpenEmployees();
    if (sink != nullptr) sink->Start(in);
    folder.Employees(sink);
  }
  folder.Rest();
  return in;
}

}  // namespace qreport
