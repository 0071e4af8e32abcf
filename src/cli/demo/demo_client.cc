#include "cli/demo/demo_client.h"

#include <algorithm>
#include <vector>

#include "text/masks.h"

namespace qreport {
namespace {

struct Person {
  const char* key;
  const char* name;
  Cents quarter_wages;   // the quarter's wages
  Cents quarter_tips;
  Cents earlier_wages;   // wages of the first quarter
  Cents earlier_tips;
  char fica_flag;
  std::uint8_t exempt_code;
  Cents plan1, plan2, plan3;  // quarter's plan deductions
};

// The second quarter of 2026; the year-to-date amounts add the first quarter.
constexpr Person kPeople[] = {
    {"ADA001", "ADAMS, MARGARET L", 1'560'000, 0, 1'560'000, 0, 'Y', 0, 93'600, 12'000, 0},
    {"BAK002", "BAKER, THOMAS R", 1'105'000, 0, 1'105'000, 0, 'Y', 0, 44'200, 12'000, 0},
    {"CHE003", "CHEN, LI", 962'500, 0, 940'000, 0, 'Y', 0, 0, 12'000, 0},
    {"DIA004", "DIAZ, ROSA M", 585'000, 248'075, 570'000, 231'050, 'Y', 0, 0, 0, 0},
    {"EVA005", "EVANS, GORDON", 10'000'000, 0, 10'000'000, 0, 'Y', 0, 600'000, 12'000, 25'000},
    {"FOS006", "FOSTER, KAREN J", 724'050, 0, 698'000, 0, 'Y', 0, 21'722, 0, 0},
    {"GAR007", "GARCIA, MIGUEL A", 612'000, 187'540, 598'500, 176'225, 'Y', 0, 0, 0, 0},
    {"HOL008", "HOLLAND, PETER (OWNER'S SON)", 450'000, 0, 450'000, 0, 'Y', 9, 0, 0, 0},
    {"IVE009", "IVERSEN, ANNA", 1'275'000, 0, 1'250'000, 0, 'Y', 0, 63'750, 12'000, 0},
    {"JOH010", "JOHNSON, DEWAYNE", 398'775, 95'010, 0, 0, 'Y', 0, 0, 0, 0},
    {"KOW011", "KOWALSKI, EDWARD", 0, 0, 512'000, 0, 'Y', 0, 0, 0, 0},
    {"LAM012", "LAMBERT, SUSAN (CLERGY)", 850'000, 0, 850'000, 0, 'N', 0, 0, 12'000, 0},
};

constexpr Cents kSocialSecurityBase = 18'450'000;

// The liability file's text of a positive amount, such as 1234.56.
std::string DollarText(Cents cents) {
  std::string hundredths = std::to_string(cents % 100);
  if (hundredths.size() < 2) hundredths.insert(0, "0");
  return std::to_string(cents / 100) + "." + hundredths;
}

// One employee's record; `liability` grows by what the employee adds to the quarter's tax
// liability: withholding plus both shares of social security and Medicare.
EmployeeSpec DemoEmployee(const Person& person, Cents& liability) {
  EmployeeSpec employee;
  employee.key = person.key;
  employee.name = person.name;
  employee.fica_flag = person.fica_flag;
  employee.exempt_code = person.exempt_code;
  employee.qtd[kWages] = person.quarter_wages;
  employee.qtd[kTips] = person.quarter_tips;
  employee.ytd[kWages] = person.quarter_wages + person.earlier_wages;
  employee.ytd[kTips] = person.quarter_tips + person.earlier_tips;
  Cents wages = person.quarter_wages + person.quarter_tips;
  Cents federal = wages * 12 / 100;
  Cents state = wages * 495 / 10000;
  Cents social_wages = wages;
  if (employee.ytd[kWages] + employee.ytd[kTips] > kSocialSecurityBase) {
    social_wages = std::max<Cents>(0, kSocialSecurityBase - (person.earlier_wages + person.earlier_tips));
  }
  Cents fica = person.fica_flag == 'Y' ? (social_wages * 62 + wages * 145 / 10) / 1000 : 0;
  employee.qtd[kFicaWithheld] = fica;
  employee.qtd[kFederalWithheld] = federal;
  employee.qtd[kStateWithheld] = state;
  employee.ytd[kFicaWithheld] = fica * 2;
  employee.ytd[kFederalWithheld] = federal * 2;
  employee.ytd[kStateWithheld] = state * 2;
  employee.plans = {person.plan1, person.plan2, person.plan3};
  liability += federal + 2 * fica;
  return employee;
}

// The liability file's 93 days for the quarter's liability.
std::vector<std::string> DemoLiabilityDays(Cents quarter_liability) {
  // The quarter's liability by month: a sixth of it in each of the first four half-months and
  // the rest in June (the month sums the report has always shown).
  Cents sixth = quarter_liability / 6;
  const Cents months[] = {2 * sixth, 2 * sixth, quarter_liability - 4 * sixth};
  // A semiweekly depositor paid every other Friday of the second quarter of 2026: April 3 and
  // 17, May 1, 15 and 29, June 12 and 26. Each payday carries its share of its month (hours and
  // overtime differ from one pay period to the next); the last payday of a month takes the rest,
  // so each month's sum stays what it is.
  struct Payday {
    int month;  // 0 to 2
    int day;
    int percent;  // of the month; 0: the rest
  };
  constexpr Payday kPaydays[] = {{0, 3, 48}, {0, 17, 0}, {1, 1, 31}, {1, 15, 35}, {1, 29, 0}, {2, 12, 53}, {2, 26, 0}};
  std::vector<std::string> liability(93, "0.00");
  Cents paid[3] = {};
  for (const Payday& p : kPaydays) {
    Cents month = months[p.month];
    Cents amount = p.percent == 0 ? month - paid[p.month] : month * p.percent / 100;
    paid[p.month] += amount;
    liability[static_cast<std::size_t>(31 * p.month + p.day - 1)] = DollarText(amount);
  }
  return liability;
}

// The answers file of the demo run. Deposits made for the quarter match its liability; the
// preparer is the payroll service of the letterhead file, the designee its first line.
std::string DemoAnswers(Cents quarter_liability) {
  std::string deposits = FormatAmount("#,###,###.##", CentsValue(quarter_liability));
  deposits.erase(0, deposits.find_first_not_of(' '));
  return "# The options dialog of the demo run, as a clerk fills it in.\n"
         "211=$" + deposits + "\n"
         "213=&LH1%\n"
         "214=(217) 555-0142\n"
         "215=&LH1% &LH2% &LH3% &LH4%\n"
         "219=IL\n"
         "# a semiweekly depositor: more than $50,000 of taxes in the lookback period\n"
         "221=1\n"
         "401\n";
}

}  // namespace

DemoClient MakeDemoClient() {
  DemoClient demo;
  ClientSpec client;
  client.employer_name = "LAKESIDE HARDWARE & SUPPLY INC";
  client.trade_name = "LAKESIDE HARDWARE";
  client.address = "1420 SHORE ROAD";
  client.payroll_date = "063026";
  client.futa_rate = "0.6";
  client.futa_base = "7000";
  client.suta_rate = "3.175";
  client.suta_base = "13916";
  client.ein = "36-4182957";
  client.city_line = "SPRINGFIELD, IL 62704-1234";
  demo.folder.client = client;

  Cents quarter_liability = 0;
  for (const Person& p : kPeople) demo.folder.employees.push_back(DemoEmployee(p, quarter_liability));
  demo.folder.liability = DemoLiabilityDays(quarter_liability);
  demo.answers = DemoAnswers(quarter_liability);
  demo.rates = {"6.2", "6.2", "184500", "1.45", "1.45", "200000"};
  demo.letterhead = {"NORTHSHORE PAYROLL SERVICES", "88 COMMERCE PLAZA SUITE 4", "SPRINGFIELD, IL 62701",
                     "P01234567", "(217) 555-0142"};
  return demo;
}

void WriteDemoClient(const std::filesystem::path& folder) {
  DemoClient demo = MakeDemoClient();
  WriteClientFolder(folder, demo.folder);
  WriteRatesFile(folder, demo.rates);
  WriteLetterheadFile(folder, demo.letterhead);
  WriteBytes(folder / kDemoAnswersFile, demo.answers);
}

}  // namespace qreport
