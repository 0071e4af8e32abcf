#include "batch/summary.h"
#include "batch/client_job.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace qreport {
namespace {

// The CSV row of one client, without the header line.
std::string CsvRow(const ClientRow& row) {
  BatchResult result;
  result.rows.push_back(row);
  std::string csv = SummaryCsv(result);
  return csv.substr(csv.find("\r\n") + 2);
}

TEST(SummaryCsv, TextThatASpreadsheetWouldRunIsQuotedAsText) {
  struct Case {
    std::string name;  // the employer's name from the client file
    std::string cell;  // its cell in the CSV
  } cases[] = {
      {"=HYPERLINK(\"http://x\",\"pay\")", "\"'=HYPERLINK(\"\"http://x\"\",\"\"pay\"\")\""},
      {"+1+cmd|' /C calc'!A0", "\"'+1+cmd|' /C calc'!A0\""},
      {"-2+3", "\"'-2+3\""},
      {"@SUM(A1:A9)", "\"'@SUM(A1:A9)\""},
      {"\t=1", "\"'\t=1\""},
      {"\r=1", "\"'\r=1\""},
      {"ACME = TOOLS", "\"ACME = TOOLS\""},
      {"'QUOTED", "\"'QUOTED\""},
      {"", "\"\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ClientRow row;
    row.folder = "acme";
    row.employer_name = c.name;
    EXPECT_EQ(CsvRow(row).rfind("\"acme\"," + c.cell + ",", 0), 0u) << CsvRow(row);
  }
}

TEST(SummaryCsv, AmountsStayNumbersAndEveryTextCellIsGuarded) {
  ClientRow row;
  row.folder = "-f";
  row.path = "=p";
  row.form = "941";
  row.has_figures = true;
  row.balance = -1234;  // an overpayment: a number a spreadsheet must still add up
  row.findings = {{"file-warning", Severity::kWarning, "=x"}};
  row.schedule_b = "@s";
  row.status = ClientStatus::kFailed;
  row.reason = "+r";
  std::string csv = CsvRow(row);
  EXPECT_NE(csv.find("\"'-f\""), std::string::npos) << csv;
  EXPECT_NE(csv.find("\"'=p\""), std::string::npos) << csv;
  EXPECT_NE(csv.find(",\"-12.34\","), std::string::npos) << csv;
  EXPECT_NE(csv.find("\"'@s\""), std::string::npos) << csv;
  EXPECT_NE(csv.find("\"'+r\""), std::string::npos) << csv;
}

TEST(Summary, FindingsLeftOutAreCounted) {
  ClientRow row;
  row.folder = "noise";
  row.findings = {{"file-warning", Severity::kWarning, "one"}, {"unreadable", Severity::kError, "two"}};
  row.findings_left_out = 7;
  EXPECT_NE(CsvRow(row).find(",\"warning file-warning; error unreadable; and 7 more\","), std::string::npos);
  BatchResult result;
  result.rows.push_back(row);
  result.not_clients = {"root/empty"};
  nlohmann::json json = nlohmann::json::parse(SummaryJson(result));
  EXPECT_EQ(json["clients"][0]["findings"].size(), 2u);
  EXPECT_EQ(json["clients"][0]["findings_left_out"], 7);
  EXPECT_EQ(json["not_clients"], nlohmann::json::array({"root/empty"}));
}

// The current return's lines travel from a job's process to the summary and show in both files,
// empty for a client without a form.
TEST(Summary, CurrentReturnLinesSurviveTheWayFromTheJobAndFillTheirColumns) {
  ClientRow row;
  row.folder = "acme";
  row.form = "941";
  row.has_figures = row.has_return = true;
  row.return_total = 2'324'000;
  row.return_deposits = 2'300'000;
  row.return_balance_due = 24'000;
  row.return_overpayment = 0;
  ClientRow back;
  ASSERT_TRUE(RowFromJsonLine(RowToJsonLine(row), back));
  EXPECT_TRUE(back.has_return);
  EXPECT_EQ(back.return_total, 2'324'000);
  EXPECT_EQ(back.return_deposits, 2'300'000);
  EXPECT_EQ(back.return_balance_due, 24'000);
  EXPECT_NE(CsvRow(back).find(",\"23240.00\",\"23000.00\",\"240.00\",\"0.00\","), std::string::npos) << CsvRow(back);

  ClientRow worksheet;
  worksheet.folder = "short";
  worksheet.form = "worksheet";
  ASSERT_TRUE(RowFromJsonLine(RowToJsonLine(worksheet), back));
  EXPECT_FALSE(back.has_return);
  BatchResult result;
  result.rows = {row, worksheet};
  nlohmann::json json = nlohmann::json::parse(SummaryJson(result));
  EXPECT_EQ(json["clients"][0]["return_balance_due"], 24'000);
  EXPECT_TRUE(json["clients"][1]["return_total"].is_null());
  const std::string csv = SummaryCsv(result);
  EXPECT_NE(csv.find("\"balance\",\"return_total\",\"return_deposits\",\"return_balance_due\",\"return_overpayment\""),
            std::string::npos) << csv;
}

}  // namespace
}  // namespace qreport
