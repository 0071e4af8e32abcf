// The client folders behind the golden reports, each with the rates it runs with and the options
// dialog's entries as an answers file. The golden tests build their reports from these specs; the
// figures tests (lines, the round trip) run the same clients, so every golden client is covered
// there too. A new golden client belongs in this list.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "data/client_writer.h"
#include "data/employee_files.h"
#include "support/fixture.h"

namespace qreport::testing {

inline const std::array<std::string, 6> kGoldenRates = {"6.2", "6.2", "94200", "1.45", "1.45", "0"};

// An employee with quarter and year wages and the same federal tax withheld in both.
inline EmployeeSpec Worker(std::string key, Cents quarter_wages, Cents year_wages, Cents withheld = 0) {
  EmployeeSpec e = PlainEmployee(std::move(key), quarter_wages, year_wages);
  e.qtd[kFederalWithheld] = withheld;
  e.ytd[kFederalWithheld] = withheld;
  return e;
}

// worksheet/one_page.txt: every kind of worksheet line, one page.
inline ClientFolderSpec WorksheetOnePageClient() {
  ClientFolderSpec spec;
  spec.client = PlainClient("063099");
  spec.client->futa_rate = "0.8";
  spec.client->suta_rate = "0.027";
  EmployeeSpec full = PlainEmployee("A00001", 1234567, 3456789);
  full.name = "A NAME OF THIRTY CHARACTERS XY";
  full.qtd = {1234567, 33333, 91000, 123456, 4567};
  full.ytd = {3456789, 66666, 182000, 246912, 9134};
  full.plans = {1000, 2000, 3000};
  EmployeeSpec shortname = PlainEmployee("B2", 500000, 9000000);  // past every base
  shortname.name = "SHORT";
  EmployeeSpec exempt = PlainEmployee("C3", 100000, 100000);
  exempt.exempt_code = 9;
  exempt.fica_flag = 'N';
  EmployeeSpec skipped = PlainEmployee("D4", 0, 0);  // tips alone: no line, but its plans count
  skipped.qtd[kTips] = 5000;
  skipped.plans = {7, 0, 0};
  EmployeeSpec year_only = PlainEmployee("E5", 0, 250000);
  EmployeeSpec huge = PlainEmployee("F6", 1234567890, 1234567890);  // widens its columns
  spec.employees = {full, shortname, exempt, skipped, year_only, huge};
  return spec;
}

// worksheet/page_break.txt: `count` employees, a trade name or none.
inline ClientFolderSpec ManyEmployees(int count, std::string trade_name) {
  ClientFolderSpec spec;
  spec.client = PlainClient("093005");
  spec.client->trade_name = std::move(trade_name);
  for (int i = 1; i <= count; ++i) {
    EmployeeSpec e = PlainEmployee("E" + std::to_string(1000 + i), 100000 + i, 200000 + i);
    e.name = "WORKER NUMBER " + std::to_string(i);
    spec.employees.push_back(e);
  }
  return spec;
}

// worksheet/no_employees.txt: an index whose only employee has no line.
inline ClientFolderSpec WorksheetNoEmployeesClient() {
  ClientFolderSpec spec;
  spec.client = PlainClient("033106");
  spec.client->futa_rate = "0.008";
  spec.employees = {PlainEmployee("Z1", 0, 0)};
  return spec;
}

// worksheet/accented_names.txt: an employer and employees whose names hold letters above 0x7F as
// the host stores them (code page 1252), and a euro sign in the trade name.
inline ClientFolderSpec AccentedNamesClient() {
  ClientFolderSpec spec;
  spec.client = PlainClient("063026");
  spec.client->employer_name = "CAF\xC9 MA\xD1" "ANA & S\xD8NS";  // É Ñ Ø
  spec.client->trade_name = "\x80 EXPRESS DELI";                   // the euro sign
  EmployeeSpec pena = PlainEmployee("P1", 300000, 600000);
  pena.name = "PE\xD1" "A, JOS\xC9";                               // Ñ É
  EmployeeSpec muller = PlainEmployee("M2", 250000, 250000);
  muller.name = "M\xFCller, \xC1ngel";                             // ü Á
  EmployeeSpec munoz = PlainEmployee("M3", 120000, 480000);
  munoz.name = "Mu\xF1oz \xD8rsted, Zo\xEB";                      // ñ Ø ë
  spec.employees = {pena, muller, munoz};
  return spec;
}

// forms/941_below_2500.txt
inline ClientFolderSpec Form941BelowTwentyFiveHundredClient() {
  ClientFolderSpec spec;
  spec.client = PlainClient("033105");
  spec.client->ein = "12-3456789";
  spec.client->city_line = "SPRINGFIELD";
  EmployeeSpec wages = Worker("A1", 300000, 300000, 20000);
  wages.plans = {1000, 0, 0};
  EmployeeSpec year_only = Worker("B2", 0, 150000, 1000);  // not counted; its tips and tax are
  year_only.qtd[kTips] = 5000;
  spec.employees = {wages, year_only};
  return spec;
}

// forms/941_monthly_depositor.txt
inline ClientFolderSpec Form941MonthlyDepositorClient() {
  ClientFolderSpec spec;
  spec.client = PlainClient("063005");
  spec.client->ein = "123456789";
  spec.client->city_line = "Springfield, IL 62704-1234";
  EmployeeSpec regular = Worker("C1", 1000000, 2000000, 150000);
  regular.misc_amount_1 = 125700;
  regular.plans = {50000, 25000, 0};
  EmployeeSpec tipped = Worker("C2", 800000, 9000000, 100000);
  tipped.qtd[kTips] = 400000;
  tipped.ytd[kTips] = 800000;
  EmployeeSpec no_fica = Worker("C3", 200000, 200000);
  no_fica.fica_flag = 'N';
  no_fica.qtd[kTips] = 50000;
  no_fica.misc_amount_1 = 125701;
  EmployeeSpec past_base = Worker("C4", 500000, 12000000);
  spec.employees = {regular, tipped, no_fica, past_base};
  return spec;
}

// forms/941_gap_of_three_month_13.txt
inline ClientFolderSpec Form941GapOfThreeClient() {
  ClientFolderSpec spec;
  spec.client = PlainClient("133105");
  spec.employees = {Worker("D1", 2500000, 2500000, 300000)};
  return spec;
}

// forms/944_below_2500.txt
inline ClientFolderSpec Form944BelowTwentyFiveHundredClient() {
  ClientFolderSpec spec;
  spec.client = PlainClient("003107");
  spec.client->city_line = "Springfield, IL 62704-1234";
  EmployeeSpec wages = Worker("F1", 250000, 1000000, 96999);
  wages.plans = {10000, 0, 0};
  EmployeeSpec tips_only = Worker("F2", 0, 0);  // no year wages: adds nothing, not even its tips
  tips_only.ytd[kTips] = 30000;
  tips_only.misc_amount_1 = 125701;             // and advance EIC above 1257.00 counts as nothing
  spec.employees = {wages, tips_only};
  return spec;
}

// forms/944_monthly_amounts.txt
inline ClientFolderSpec Form944MonthlyAmountsClient() {
  ClientFolderSpec spec;
  spec.client = PlainClient("133107");
  EmployeeSpec tipped = Worker("G1", 200000, 850000, 230051);
  tipped.ytd[kTips] = 100000;
  EmployeeSpec eic_only = Worker("G2", 0, 0);
  eic_only.ytd[kTips] = 20000;
  eic_only.misc_amount_1 = 125700;
  spec.employees = {tipped, eic_only};
  return spec;
}

struct GoldenClient {
  std::string name;  // the golden file it stands behind
  ClientFolderSpec folder;
  std::array<std::string, 6> rates = kGoldenRates;
  std::string answers;  // the options dialog's entries the golden test sets
};

// Every golden client, with its dialog entries as an answers file.
inline std::vector<GoldenClient> GoldenClients() {
  const std::string months_944_below = "216=208.33\n217=208.33\n218=208.33\n222=208.33\n223=208.33\n224=208.33\n"
                                       "225=208.33\n226=208.33\n227=208.33\n228=208.33\n229=208.33\n230=208.36\n";
  const std::string months_944_monthly = "216=200\n217=200\n218=200\n222=200\n223=200\n224=200\n225=200\n226=200\n"
                                         "227=200\n228=200\n229=200\n230=300\n";
  return {
      {"worksheet/one_page.txt", WorksheetOnePageClient(), kGoldenRates, "401\n"},
      {"worksheet/page_break.txt", ManyEmployees(46, ""), {".062", ".062", "90000", ".0145", ".0145", ""}, "401\n"},
      {"worksheet/no_employees.txt", WorksheetNoEmployeesClient(), {"6.2", "6.2", "100000", "1.45", "1.45", "0"}, "401\n"},
      {"worksheet/accented_names.txt", AccentedNamesClient(), kGoldenRates, "401\n"},
      {"forms/941_below_2500.txt", Form941BelowTwentyFiveHundredClient(), kGoldenRates,
       "216=225.55\n217=225.55\n218=225.55\n211=676.65\n220=1\n213=   \n219=I\n215=&lh2% &lh1%\n401\n"},
      {"forms/941_monthly_depositor.txt", Form941MonthlyDepositorClient(), kGoldenRates,
       "216=1600\n217=1600\n218=1633.49\n211=5000\n220=1\n213=JANE DOE\n214=555-0100\n219=IL\n"
       "215=&LH1% &LH2% &LH3%\n401\n"},
      {"forms/941_gap_of_three_month_13.txt", Form941GapOfThreeClient(), kGoldenRates,
       "216=2000\n217=2000\n218=2815.66\n203=-12.34\n211=6000\n221=1\n213=JOHN ROE\n215=&LH3% XYZ &LH1%\n401\n"},
      {"forms/944_below_2500.txt", Form944BelowTwentyFiveHundredClient(), kGoldenRates,
       "243=1\n" + months_944_below + "211=2499.99\n219=OH\n215=&lh2% &LH1%\n401\n"},
      {"forms/944_monthly_amounts.txt", Form944MonthlyAmountsClient(), {"6.2", "6.2", "9000", "1.45", "1.45", "0"},
       "243=1\n" + months_944_monthly + "204=1.00\n211=2600\n213=JANE DOE\n214=555-0100\n215=&LH3% XYZ &LH1%\n401\n"},
  };
}

}  // namespace qreport::testing
