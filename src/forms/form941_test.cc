// Form 941's line values and the employer texts the forms print, without the page layout.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "data/client_writer.h"
#include "data/rates.h"
#include "forms/employer_block.h"
#include "forms/form941.h"
#include "forms/form_money.h"
#include "support/fixture.h"
#include "text/ascii.h"

namespace qreport {
namespace {

using testing::DecodedEmployee;
using testing::TempDir;

TEST(Form941Employee, SocialSecurityWageAfterTheWageBase) {
  struct Case {
    const char* what;
    Employee e;
    Cents wage;
  } cases[] = {
      {"below the base", DecodedEmployee(1000, 0, 5000, 0), 100000},
      {"year at the base is not cut", DecodedEmployee(1000, 0, 9000, 0), 100000},
      {"past the base: the room left", DecodedEmployee(1000, 0, 9500, 0), 50000},
      {"past the base before the quarter", DecodedEmployee(1000, 0, 10500, 0), 0},
      {"the room counts tips", DecodedEmployee(1000, 200, 9300, 200), 70000},
      {"the room never exceeds the wages", DecodedEmployee(1000, 3000, 6000, 4000), 100000},
      {"tips alone do not make a wage", DecodedEmployee(0, 500, 9000, 500), 0},
      {"fica flag N", DecodedEmployee(1000, 0, 1000, 0, 'N'), 0},
      {"fica flag lower-case y", DecodedEmployee(1000, 0, 1000, 0, 'y'), 0},
      {"negative quarter wages past the base stay negative", DecodedEmployee(-140.13, 0, 10500, 0), -14013},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(QuarterSsWage(c.e, 900000), c.wage);
  }
}

TEST(Form941Employee, PassCountsSumsAndAdvanceEic) {
  Employee counted = DecodedEmployee(1000, 100, 1000, 100);
  counted.amounts_qtd[kFederalWithheld] = 150;
  counted.misc_amount_1 = 1257.00;  // the limit itself counts
  Employee year_only = DecodedEmployee(0, 40, 500, 40);  // not counted, but its tips and tax are
  year_only.amounts_qtd[kFederalWithheld] = 10;
  year_only.misc_amount_1 = 1257.01;  // above the limit: dropped, not capped
  Employee skipped = DecodedEmployee(0, 70, 0, 70);
  skipped.misc_amount_1 = 10;  // counts although the employee is skipped
  Employee no_fica = DecodedEmployee(2000, 300, 2000, 300, 'N');

  PayTotals totals;
  for (const Employee& e : {counted, year_only, skipped, no_fica}) AddEmployeeToQuarter(e, 9420000, totals);
  EXPECT_EQ(totals.employee_count, 2);
  EXPECT_EQ(totals.ss_wages, 100000);
  EXPECT_EQ(totals.medicare_wages, 100000);
  EXPECT_EQ(totals.tips, 44000);
  EXPECT_EQ(totals.wage_sum, 344000);
  EXPECT_EQ(totals.income_tax_withheld, 16000);
  EXPECT_EQ(totals.advance_eic, 126700);
  EXPECT_EQ(AdvanceEicOf(-500), -500);
}

// Products fall as the double arithmetic puts them, which is not always the exact half-even cent.
TEST(Form941Money, ProductsRoundAsTheDoublesFall) {
  struct Case {
    Rate rate1, rate2;
    Cents amount, product;
  } cases[] = {
      {620, 620, 1000000, 124000},
      {620, 620, 1875, 233},  // 2.325 exactly; the double lies above
      {620, 620, 7125, 883},  // 8.835 exactly; the double lies below
      {145, 145, 500, 15},    // 0.145 exactly; the double lies above
      {620, 0, 3750, 233},    // 2.325 from one share
      {620, 0, 750, 46},      // 0.465: a true tie goes to the even cent
      {620, 620, -1875, -233},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.amount);
    Cents product = c.rate2 == 0 ? Times(c.rate1, c.amount) : Times(c.rate1, c.rate2, c.amount);
    EXPECT_EQ(product, c.product);
  }
  EXPECT_EQ(Plus(10, 20), 30);
  EXPECT_EQ(Minus(10, 30), -20);
}

// Sums and differences of small operands skip the evaluation in doubles; they must store what it
// stores, up to the edge of that range and past it, where the evaluation itself rounds.
TEST(Form941Money, SumsAndDifferencesStoreWhatTheirEvaluationInDoublesStores) {
  auto evaluated_plus = [](Cents a, Cents b) { return ToCents(CentsValue(a) + CentsValue(b)); };
  auto evaluated_minus = [](Cents a, Cents b) { return ToCents(CentsValue(a) - CentsValue(b)); };
  const Cents edges[] = {0, 1, -1, 99, kExactCents, -kExactCents, kExactCents - 1, kExactCents + 1,
                         -kExactCents - 1, Cents{1} << 53, (Cents{1} << 62) + 12345};
  for (Cents a : edges) {
    for (Cents b : edges) {
      SCOPED_TRACE(::testing::Message() << a << " and " << b);
      EXPECT_EQ(Plus(a, b), evaluated_plus(a, b));
      EXPECT_EQ(Minus(a, b), evaluated_minus(a, b));
    }
  }
  std::uint64_t state = 0xDA3E39CB94B95BDBu;
  for (int n = 0; n < 20000; ++n) {
    state = state * 6364136223846793005u + 1442695040888963407u;
    const Cents spans[] = {1000000, kExactCents, Cents{1} << 56};
    const Cents span = spans[n % 3];
    const Cents a = static_cast<Cents>(state >> 8) % (2 * span + 1) - span;
    const Cents b = static_cast<Cents>((state >> 3) * 2654435761u) % (2 * span + 1) - span;
    SCOPED_TRACE(::testing::Message() << a << " and " << b);
    ASSERT_EQ(Plus(a, b), evaluated_plus(a, b));
    ASSERT_EQ(Minus(a, b), evaluated_minus(a, b));
  }
}

TEST(Form941Money, RatesInEitherNotationAreTheSame) {
  for (const char* text : {"6.2", ".062", "6.20", "0.0620"}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(ToRate(RateFromText(text)), 620);
  }
  EXPECT_EQ(ToRate(RateFromText("1.45")), 145);
  EXPECT_EQ(ToRate(RateFromText(".0145")), 145);
  FormRates r = ToFormRates({0.062, 0.062, 94200, 0.0145, 0.0145, 0});
  EXPECT_EQ(r.ss_base, 9420000);
}

PayTotals SampleQuarter() {
  PayTotals quarter;
  quarter.employee_count = 3;
  quarter.ss_wages = 1000000;
  quarter.tips = 50000;
  quarter.medicare_wages = 1200000;
  quarter.wage_sum = 1250000;
  quarter.income_tax_withheld = 150000;
  quarter.advance_eic = 10000;
  return quarter;
}

const FormRates kRates{620, 620, 9420000, 145, 145};

TEST(Form941Lines, WorkedQuarter) {
  RunState state;
  state.adjustment_7b = -1000;
  state.deposits = 400000;
  state.month_liability[1] = state.month_liability[2] = state.month_liability[3] = 100000;
  state.month_liability[4] = 999999;  // not this form's
  state.monthly_depositor = true;
  ReturnLines lines = ComputeForm941Lines(SampleQuarter(), kRates, ReturnEntriesOf(state), {0, 10000, 20000, 5000});

  EXPECT_EQ(lines[Form941Line("1")], 3);
  EXPECT_EQ(lines[Form941Line("2")], 1215000);  // wages and tips less the plans; tips once
  EXPECT_EQ(lines[Form941Line("3")], 150000);
  EXPECT_EQ(lines[Form941Line("5a", 2)], 124000);
  EXPECT_EQ(lines[Form941Line("5b", 2)], 6200);
  EXPECT_EQ(lines[Form941Line("5c", 1)], 1250000);
  EXPECT_EQ(lines[Form941Line("5c", 2)], 36250);
  EXPECT_EQ(lines[Form941Line("5d")], 166450);
  EXPECT_EQ(lines[Form941Line("6")], 316450);
  EXPECT_EQ(lines[Form941Line("7a")], 0);  // a gap of 54.50 is no fraction of cents
  EXPECT_EQ(lines[Form941Line("7b")], -1000);
  EXPECT_EQ(lines[Form941Line("7h")], -1000);
  EXPECT_EQ(lines[Form941Line("8")], 315450);
  EXPECT_EQ(lines[Form941Line("9")], 10000);
  EXPECT_EQ(lines[Form941Line("10")], 305450);
  EXPECT_EQ(lines[Form941Line("11")], 400000);
  EXPECT_TRUE(lines.overpaid);
  EXPECT_EQ(lines[Form941Line("12")], 0);
  EXPECT_EQ(lines[Form941Line("13")], -94550);
  EXPECT_EQ(lines[ReturnLine::kLiabilityTotal], 300000);
  EXPECT_FALSE(lines.under_2500);
  EXPECT_TRUE(lines.months_shown);
}

TEST(Form941Lines, BalanceAndTheTwentyFiveHundredTest) {
  struct Case {
    const char* what;
    Cents advance_eic, deposits;
    bool monthly_depositor;
    Cents line10;
    bool overpaid, under_2500, show_months;
  } cases[] = {
      {"deposits equal line 10: a balance of 0", 10000, 305450, true, 305450, false, false, true},
      {"line 10 exactly 2500.00", 65450, 0, true, 250000, false, false, true},
      {"line 10 at 2499.99", 65451, 0, true, 249999, false, true, false},
      {"not a monthly depositor", 10000, 0, false, 305450, false, false, false},
      {"one cent overpaid", 10000, 305451, true, 305450, true, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PayTotals quarter = SampleQuarter();
    quarter.advance_eic = c.advance_eic;
    RunState state;
    state.adjustment_7b = -1000;
    state.deposits = c.deposits;
    state.monthly_depositor = c.monthly_depositor;
    ReturnLines lines = ComputeForm941Lines(quarter, kRates, ReturnEntriesOf(state), {});
    EXPECT_EQ(lines[Form941Line("10")], c.line10);
    EXPECT_EQ(lines.overpaid, c.overpaid);
    EXPECT_EQ(lines[Form941Line("12")], c.overpaid ? 0 : c.line10 - c.deposits);
    EXPECT_EQ(lines[Form941Line("13")], c.overpaid ? c.line10 - c.deposits : 0);
    EXPECT_EQ(lines.under_2500, c.under_2500);
    EXPECT_EQ(lines.months_shown, c.show_months);
  }
}

TEST(Form941Lines, AbsorbedGapMakesLine10TheLiability) {
  RunState state;
  state.month_liability[1] = 100000;
  state.month_liability[2] = 100000;
  state.month_liability[3] = 106749;  // 3067.49 in all: 2.99 above line 10 before the rule
  ReturnLines lines = ComputeForm941Lines(SampleQuarter(), kRates, ReturnEntriesOf(state), {});
  EXPECT_EQ(lines[Form941Line("7a")], 299);
  EXPECT_EQ(lines[Form941Line("7h")], 299);
  EXPECT_EQ(lines[Form941Line("10")], lines[ReturnLine::kLiabilityTotal]);
}

TEST(Form941Heading, QuarterBoxAndYearFromTheDate) {
  struct Case {
    const char* date;
    int quarter;
  } cases[] = {
      {"01/31/05", 1}, {"033105", 1}, {"04", 2}, {"06/30/05", 2}, {"07", 3}, {"09", 3},
      {"10", 4},       {"12/31/05", 4}, {"00", 0}, {"13/31/05", 0}, {"ab", 0}, {"", 0},
      {".5", 1},  // month text read as a number: 0.5 is above 0
      {"-1", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.date);
    EXPECT_EQ(QuarterOfMonthText(c.date), c.quarter);
  }
  EXPECT_EQ(FormYear("06/30/05"), "2005");
  EXPECT_EQ(FormYear("5"), "205");
}

TEST(EmployerBlock, CityLineSplitsIntoCityStateAndZip) {
  struct Case {
    std::string line;
    const char* city;
    const char* state;
    const char* zip;
  } cases[] = {
      {"SPRINGFIELD, IL 62704", "SPRINGFIELD", "IL", "62704"},
      {"Springfield, IL 62704-1234      ", "Springfield", "IL", "62704"},
      {"SPRINGFIELD,IL   62704", "SPRINGFIELD", "IL", "62704"},
      {"SPRINGFIELD IL 62704          ", "SPRINGFIELD IL 62704", "", ""},  // no comma: all city
      {"SPRINGFIELD, IL", "SPRINGFIELD", "IL", ""},                       // no blank after the state
      {"ST. LOUIS, MO, 63101", "ST. LOUIS", "MO,", "63101"},              // the first comma splits
      {std::string("AKRON, OH 443\0\0", 15), "AKRON", "OH", "443"},       // NUL bytes are blanks
      {std::string(30, '\0'), "", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    CityStateZip out = SplitCityLine(c.line);
    EXPECT_EQ(out.city, c.city);
    EXPECT_EQ(out.state, c.state);
    EXPECT_EQ(out.zip, c.zip);
  }
}

TEST(EmployerBlock, EinTextAndBoxes) {
  struct Case {
    const char* ein;
    const char* text;
    const char* boxes;
  } cases[] = {
      {"12-3456789", "123456789", "123456789"},
      {"123456789 ", "123456789 ", "123456789"},
      {"12-34-5678", "1234-5678", "1234-5678"},  // only the first dash goes from the text
      {"12--345678", "12-345678", "12345678 "},  // then a dash third goes from the boxes
      {"12345", "12345", "12345    "},
      {"", "", "         "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ein);
    std::string text = EinText(c.ein);
    EXPECT_EQ(text, c.text);
    EXPECT_EQ(EinBoxes(text), c.boxes);
  }
}

TEST(EmployerBlock, PreparerCodesChooseLetterheadLines) {
  LetterheadLines letterhead = {"ONE", "TWO", "THREE", "FOUR", "FIVE"};
  struct Case {
    const char* codes;
    std::vector<std::string> lines;
  } cases[] = {
      {"&LH1% &LH2% &LH3%", {"ONE", "TWO", "THREE", "", ""}},
      {"&lh2% &LH1%", {"TWO", "ONE", "", "", ""}},  // lower case and swapped
      {"&LH3% XYZ &LH1%", {"THREE", "", "ONE", "", ""}},
      {"&LH1%  &LH2%", {"ONE", "", "TWO", "", ""}},  // an empty word takes its place
      {" &LH1%", {"", "ONE", "", "", ""}},
      {"&LH5% &LH4% &LH3% &LH2% &LH1% &LH1%", {"FIVE", "FOUR", "THREE", "TWO", "ONE"}},
      {"&LH6% &LH1 LH1% &LH1%X", {"", "", "", "", ""}},
      {"", {"", "", "", "", ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.codes);
    auto lines = PreparerLines(UpperAscii(c.codes), letterhead);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.end()), c.lines);
  }
}

// A designee named by a letterhead code, as the dialog's help invites: the current return shows
// the line it names; anything else stays as typed.
TEST(EmployerBlock, ADesigneeCodeNamesItsLetterheadLine) {
  LetterheadLines letterhead = {"NORTHSHORE PAYROLL            ", "TWO", "", "", "FIVE"};
  struct Case {
    const char* typed;
    const char* shown;
  } cases[] = {
      {"&LH1%", "NORTHSHORE PAYROLL"}, {" &lh5% ", "FIVE"},      {"&LH3%", ""},
      {"JANE DOE", "JANE DOE"},        {"&LH1% &LH2%", "&LH1% &LH2%"}, {"&LH6%", "&LH6%"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    EXPECT_EQ(LetterheadOrText(c.typed, letterhead), c.shown);
  }
}

TEST(EmployerBlock, LetterheadFileIsNotCreatedWhenMissingAndReadAsStored) {
  TempDir dir;
  LetterheadLines earlier = {"E1", "E2", "E3", "E4", "E5"};
  EXPECT_EQ(ReadLetterhead(dir.str(), earlier), earlier);
  EXPECT_FALSE(std::filesystem::exists(dir / "prep"));

  WriteLetterheadFile(dir.path(), {"SMITH PAYROLL", "1 ELM ST", "", "", ""});
  LetterheadLines lines = ReadLetterhead(dir.str(), earlier);
  EXPECT_EQ(lines[0], "SMITH PAYROLL" + std::string(17, ' '));
  EXPECT_EQ(lines[1].size(), 30u);
  EXPECT_EQ(lines[4], std::string(30, ' '));

  WriteBytes(dir / "prep", "SHORT");  // a partial record reads as its bytes and zeros
  lines = ReadLetterhead(dir.str(), earlier);
  EXPECT_EQ(lines[0], std::string("SHORT") + std::string(25, '\0'));
  EXPECT_EQ(lines[1], std::string(30, '\0'));
}

}  // namespace
}  // namespace qreport
