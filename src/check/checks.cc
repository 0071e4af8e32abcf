#include "check/checks.h"

#include <cmath>
#include <filesystem>
#include <string>

#include "check/return_checks.h"
#include "data/client_file.h"
#include "data/client_rules.h"
#include "data/employee_files.h"
#include "data/errors.h"
#include "data/paths.h"
#include "data/rates.h"
#include "data/record_file.h"
#include "forms/employer_block.h"
#include "forms/schedule_b.h"
#include "data/folder_inspection.h"
#include "text/ascii.h"

namespace qreport {
namespace {

using namespace std::string_view_literals;

void Add(std::vector<Finding>& out, std::string code, Severity severity, std::string message) {
  out.push_back({std::move(code), severity, std::move(message)});
}

// What pads a text field: blanks, tabs and NULs. A field of nothing else is blank.
constexpr std::string_view kPadding = " \t\0"sv;
bool Blank(std::string_view text) { return text.find_first_not_of(kPadding) == std::string_view::npos; }

// Deposits against the total taxes: the balance due or the overpayment.
void CheckBalance(std::vector<Finding>& out, std::string_view total_line, Cents total, std::string_view deposit_line,
                  Cents deposits, bool overpaid, Cents due, Cents overpayment) {
  if (overpaid) {
    Add(out, "overpayment", Severity::kWarning,
        "deposits (" + std::string(deposit_line) + ") of " + DollarText(deposits) + " exceed " +
            std::string(total_line) + " of " + DollarText(total) + ": an overpayment of " +
            DollarText(overpayment < 0 ? -overpayment : overpayment));
  } else if (due != 0) {
    Add(out, "balance-due", Severity::kWarning,
        "deposits (" + std::string(deposit_line) + ") of " + DollarText(deposits) + " are below " +
            std::string(total_line) + " of " + DollarText(total) + ": a balance due of " + DollarText(due));
  }
}

void CheckForm941Page(const Form941Page& page, std::vector<Finding>& out) {
  const ReturnLines& lines = page.lines;
  const Cents line10 = lines[Form941Line("10")];
  const Cents month_total = lines[ReturnLine::kLiabilityTotal];
  if (!lines.under_2500 && month_total != line10) {
    Add(out, "liability-total", Severity::kError,
        "the monthly liabilities " + DollarText(lines.liabilities[1]) + " + " + DollarText(lines.liabilities[2]) +
            " + " + DollarText(lines.liabilities[3]) + " = " + DollarText(month_total) + " do not equal line 10 of " +
            DollarText(line10));
  }
  if (!lines.under_2500 && !page.monthly_depositor && !page.semiweekly_depositor) {
    Add(out, "depositor-none", Severity::kError,
        "line 10 is " + DollarText(line10) + " ($2,500.00 or more) and neither depositor box is checked");
  }
  CheckBalance(out, "line 10", line10, "line 11", lines[Form941Line("11")], lines.overpaid, lines[Form941Line("12")],
               lines[Form941Line("13")]);
}

// A semiweekly depositor's Form 941: Schedule B goes with it, and its quarter total (the days of
// the liability file) must be line 10, which the dialog's months may have moved away from.
void CheckScheduleB(const ReportFigures& figures, std::vector<Finding>& out) {
  if (!figures.form941 || !ScheduleBIsDue(figures.state)) return;
  Add(out, "schedule-b", Severity::kWarning,
      "a semiweekly depositor files Schedule B with the return: qreport run --schedule-b writes it beside the "
      "report as scheduleb.txt");
  const ReturnLines& lines = figures.form941->lines;
  const Cents line10 = lines[Form941Line("10")];
  if (figures.schedule_b && figures.schedule_b->total != line10) {
    std::string text = "Schedule B's total liability for the quarter, " + DollarText(figures.schedule_b->total) +
                       " from the days of the liability file, does not equal line 10 of " + DollarText(line10);
    if (lines[ReturnLine::kLiabilityTotal] != figures.schedule_b->total) {
      text += "; the months in the dialog add up to " + DollarText(lines[ReturnLine::kLiabilityTotal]);
    }
    Add(out, "schedule-b-total", Severity::kError, text);
  }
}

void CheckForm944Page(const Form944Page& page, std::vector<Finding>& out) {
  const ReturnLines& lines = page.lines;
  const Cents line9 = lines[Form944Line("9")];
  if (!lines.under_2500 && lines[ReturnLine::kLiabilityTotal] != line9) {
    Add(out, "liability-total", Severity::kError,
        "the twelve monthly liabilities add up to " + DollarText(lines[ReturnLine::kLiabilityTotal]) +
            ", not to line 9 of " + DollarText(line9));
  }
  CheckBalance(out, "line 9", line9, "line 10", lines[Form944Line("10")], lines.overpaid, lines[Form944Line("11")],
               lines[Form944Line("12")]);
}

void CheckEntries(const ReportFigures& figures, std::vector<Finding>& out) {
  const RunState& state = figures.state;
  if (!Blank(state.designee_name) && Blank(state.designee_phone)) {
    Add(out, "designee-phone", Severity::kWarning,
        "the designee " + Trim(state.designee_name, kPadding) + " has no telephone number");
  }
  // Which letterhead line each code names, by the forms' own rule applied to lines that name
  // themselves; a named line that prints empty is the finding.
  const std::array<std::string, 3>* printed = figures.form941 ? &figures.form941->preparer : figures.form944 ? &figures.form944->preparer : nullptr;
  if (printed == nullptr || Blank(state.preparer_codes)) return;
  std::array<std::string, 5> named = PreparerLines(UpperAscii(state.preparer_codes), {"1", "2", "3", "4", "5"});
  for (std::size_t k = 0; k < printed->size(); ++k) {
    if (!named[k].empty() && Blank((*printed)[k])) {
      Add(out, "preparer-empty", Severity::kWarning,
          "preparer code " + std::to_string(k + 1) + " names letterhead line " + named[k] + ", which is empty");
    }
  }
}

void CheckRates(const ReportFigures& figures, std::vector<Finding>& out) {
  if (!figures.worksheet) return;
  const FicaRates& r = figures.worksheet->rates;
  if (r.ss_rate1 + r.ss_rate2 == 0) {
    Add(out, "rates-zero", Severity::kError, "the rates file gives a social security rate of 0");
  }
  if (r.medicare_rate1 + r.medicare_rate2 == 0) {
    Add(out, "rates-zero", Severity::kError, "the rates file gives a Medicare rate of 0");
  }
  const UnemploymentRates& u = figures.worksheet->unemployment;
  if (u.futa == 0) Add(out, "unemployment-zero", Severity::kWarning, "the client file's FUTA rate is 0 or unreadable");
  if (u.suta == 0) Add(out, "unemployment-zero", Severity::kWarning, "the client file's SUTA rate is 0 or unreadable");
}

// The wage bases the worksheet takes from the client file.
void CheckUnemploymentBases(std::string_view data_dir, std::vector<Finding>& out) {
  ClientFile client = ReadClientFile(data_dir, /*always_record2=*/false, MissingFile::kReadAsEmpty);
  if (!client.has_record1) return;
  if (client.futa_base == 0) {
    Add(out, "unemployment-zero", Severity::kWarning, "the client file's FUTA wage base is 0 or unreadable");
  }
  if (client.suta_base == 0) {
    Add(out, "unemployment-zero", Severity::kWarning, "the client file's SUTA wage base is 0 or unreadable");
  }
}

// The client file's own slips: missing or cut short, and the EIN, payroll date and city line the
// forms print from it, by the rules import keeps.
void CheckClientRecord(std::string_view data_dir, std::vector<Finding>& out) {
  std::error_code ec;
  std::uint64_t size = std::filesystem::file_size(ResolveHostPath(data_dir, kClientFileName), ec);
  std::optional<std::uint64_t> known = ec ? std::nullopt : std::optional<std::uint64_t>(size);
  if (auto problem = ClientFileSizeProblem(known, kClientRecordLength)) Add(out, "client-file", Severity::kError, *problem);
  if (!known) return;
  ClientFile client = ReadClientFile(data_dir, /*always_record2=*/false, MissingFile::kReadAsEmpty);
  if (!client.has_record1) return;
  if (auto problem = EinProblem(client.ein)) Add(out, "ein", Severity::kError, *problem);
  if (auto problem = PayrollDateProblem(client.payroll_date)) Add(out, "payroll-date", Severity::kError, *problem);
  CityStateZip split = SplitCityLine(client.city_line);
  if (auto problem = CityLineProblem(TrimRight(PrintedText(client.city_line)), split.state, split.zip)) {
    Add(out, "city-line", Severity::kError, *problem);
  }
}

// One finding per kind for the employees, naming the first few.
struct EmployeeFinding {
  std::string code;
  Severity severity;
  std::string what;  // "year-to-date wages below the quarter's"
  std::vector<std::string> examples;
  std::size_t count = 0;

  void Note(std::string example) {
    if (++count <= 3) examples.push_back(std::move(example));
  }
  void AddTo(std::vector<Finding>& out) const {
    if (count == 0) return;
    std::string text = std::to_string(count) + (count == 1 ? " employee has " : " employees have ") + what + ": ";
    for (std::size_t i = 0; i < examples.size(); ++i) text += (i > 0 ? "; " : "") + examples[i];
    if (count > examples.size()) text += "; and " + std::to_string(count - examples.size()) + " more";
    Add(out, code, severity, text);
  }
};

std::string Money(double dollars) { return DollarText(ToCents(dollars)); }

}  // namespace

struct EmployeeChecks::State {
  EmployeeFinding ytd{"ytd-below-qtd", Severity::kError, "year-to-date wages below the quarter's", {}, 0};
  EmployeeFinding negative{"negative-amount", Severity::kError, "negative wages, tips or withholding", {}, 0};
  EmployeeFinding over{"over-wage-base", Severity::kWarning,
                       "year's wages and tips above the social security wage base of the rates file", {}, 0};
  EmployeeFinding fica{"fica-flag", Severity::kWarning,
                       "wages and a social security flag other than Y, so they are not subject to social security and "
                       "Medicare: only a capital Y is",
                       {}, 0};
  double base = 0;
  bool started = false;
  EmployeeInspection inspection;
};

EmployeeChecks::EmployeeChecks() : state_(std::make_unique<State>()) {}
EmployeeChecks::~EmployeeChecks() = default;

void EmployeeChecks::Start(const WorksheetFigures& figures) {
  state_->base = figures.rates.ss_base;
  state_->started = true;
}

bool EmployeeChecks::started() const { return state_->started; }

EmployeeEntryObserver* EmployeeChecks::entry_observer() { return &state_->inspection; }

const EmployeeInspection& EmployeeChecks::inspection() const { return state_->inspection; }

void EmployeeChecks::OnEmployee(const Employee& e, const WorksheetLine*) {
  State& s = *state_;
  // Only an employee with a finding is named: the name is made for the first few of each.
  auto who = [&e] {
    std::string name = Trim(e.key, kPadding);
    return name.empty() ? "record " + std::to_string(e.record_number) : name;
  };
  if (e.amounts_ytd[kWages] < e.amounts_qtd[kWages]) {
    s.ytd.Note(who() + " (quarter " + Money(e.amounts_qtd[kWages]) + ", year " + Money(e.amounts_ytd[kWages]) + ")");
  }
  for (int item : {kWages, kTips, kFicaWithheld, kFederalWithheld, kStateWithheld}) {
    if (e.amounts_qtd[item] < 0 || e.amounts_ytd[item] < 0) {
      s.negative.Note(who());
      break;
    }
  }
  if (e.fica_flag != kSubjectToFica && e.amounts_qtd[kWages] != 0) {
    s.fica.Note(who() + " (flag \"" + (e.fica_flag == '\0' ? std::string() : std::string(1, e.fica_flag)) + "\")");
  }
  double year = e.amounts_ytd[kWages] + e.amounts_ytd[kTips];
  if (e.fica_flag == 'Y' && s.base > 0 && year > s.base) {
    s.over.Note(who() + " (" + Money(year) + " against " + Money(s.base) + ")");
  }
}

void EmployeeChecks::AddTo(std::vector<Finding>& out) const {
  state_->ytd.AddTo(out);
  state_->negative.AddTo(out);
  state_->over.AddTo(out);
  state_->fica.AddTo(out);
}

namespace {

// The employee checks over a walk of their own, for figures computed without them.
void CheckEmployees(const ReportFigures& figures, std::string_view data_dir, std::vector<Finding>& out) {
  EmployeeChecks checks;
  WorksheetFigures rates_only;
  if (figures.worksheet) rates_only.rates = figures.worksheet->rates;
  checks.Start(rates_only);
  EmployeeWalk walk(data_dir, /*with_plans=*/false, MissingFile::kReadAsEmpty);
  Employee e;
  while (walk.Next(e)) checks.OnEmployee(e, nullptr);
  checks.AddTo(out);
}

}  // namespace

std::vector<Finding> CheckFigures(const ReportFigures& figures) {
  std::vector<Finding> out;
  if (figures.cancelled) {
    Add(out, "cancelled", Severity::kError, "the dialog was cancelled, so the return has no figures to check");
    return out;
  }
  if (figures.worksheet_error) {
    Add(out, "unreadable", Severity::kError,
        "the worksheet's files cannot be read (error " + std::to_string(*figures.worksheet_error) + ")");
  }
  if (figures.form941) CheckForm941Page(*figures.form941, out);
  CheckScheduleB(figures, out);
  if (figures.form944) CheckForm944Page(*figures.form944, out);
  CheckRates(figures, out);
  CheckEntries(figures, out);
  CheckCurrentReturn(figures, out);
  return out;
}

std::vector<Finding> CheckClient(const ReportFigures& figures, std::string_view data_dir, std::string_view rates_dir,
                                 const EmployeeChecks* employees) {
  std::vector<Finding> out;
  std::error_code ec;
  const bool rates_file = std::filesystem::is_regular_file(ResolveHostPath(rates_dir, kRatesFileName), ec);
  if (!rates_file) {
    Add(out, "rates-missing", Severity::kError,
        "there is no rates file " + std::string(kRatesFileName) + " in " + (rates_dir.empty() ? "." : std::string(rates_dir)));
  }
  for (Finding& f : CheckFigures(figures)) {
    // A missing file's rates are all 0: the one finding says so.
    if (!rates_file && f.code == "rates-zero") continue;
    out.push_back(std::move(f));
  }
  try {
    CheckClientRecord(data_dir, out);
  } catch (const RunError& e) {
    Add(out, "unreadable", Severity::kError, "the client file cannot be read (error " + std::to_string(e.number()) + ")");
  }
  // What the files hold that the run reads as zero or skips without a word.
  try {
    // Only the warnings are wanted: the employees pass by one at a time.
    struct PassBy final : InspectionSink {
      void OnEmployee(const EmployeeSpec&) override {}
    } pass_by;
    // The employee files' warnings come from the pass that computed the figures when it read them.
    const EmployeeInspection* seen =
        employees != nullptr && !figures.worksheet_error ? &employees->inspection() : nullptr;
    for (std::string& warning :
         InspectClientFolder(std::string(data_dir), std::string(rates_dir), &pass_by, seen).warnings) {
      Add(out, "file-warning", Severity::kWarning, std::move(warning));
    }
  } catch (const std::exception& e) {
    // A file that cannot be read at all: the worksheet's error says so once already.
    if (!figures.worksheet_error) Add(out, "unreadable", Severity::kError, e.what());
  }
  if (figures.cancelled || figures.worksheet_error) return out;
  try {
    CheckUnemploymentBases(data_dir, out);
    if (employees != nullptr && employees->started()) {
      employees->AddTo(out);
    } else {
      CheckEmployees(figures, data_dir, out);
    }
  } catch (const RunError& e) {
    Add(out, "unreadable", Severity::kError, "the client's files cannot be read (error " + std::to_string(e.number()) + ")");
  }
  return out;
}

}  // namespace qreport
