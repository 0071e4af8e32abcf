// The clients page's checks are one view of the client's computed figures: the same findings as
// `qreport check`, got by reading the client's files no more often than the check does (the
// employee checks ride on the figures' own pass instead of walking the employee files again).
#include "web/client_checks.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "check/checks.h"
#include "platform/platform.h"
#include "run/report_figures.h"
#include "support/check_client.h"
#include "support/fixture.h"
#include "support/open_counter.h"

namespace qreport::web {
namespace {

namespace fs = std::filesystem;
using qreport::testing::OneEmployeeClient;
using qreport::testing::OpenCounter;
using qreport::testing::TempDir;
using qreport::testing::WriteCheckClient;

TEST(ClientChecks, FindTheChecksFindingsReadingTheFilesAsOftenAsTheCheck) {
  TempDir work;
  // Year-to-date wages below the quarter's: a finding of the employee checks.
  WriteCheckClient(work, OneEmployeeClient(2000000, 1000000));
  const fs::path folder = fs::canonical(work / "client");
  OpenCounter counter(folder);

  // `qreport check` without answers: the dialog closed with its first values.
  PlatformOptions options;
  options.never_interactive = true;
  auto platform = MakePlatform(options);
  EmployeeChecks employees;
  WorksheetSink* const sinks[] = {&employees};
  counter.Take();
  ReportFigures figures = ComputeClientFigures(folder.string(), work.str(), "941", *platform, sinks);
  std::string check_findings = FindingsText(CheckClient(figures, folder.string(), work.str(), &employees));
  std::map<std::string, int> check_opens = counter.Take();
  ASSERT_NE(check_findings.find("ytd-below-qtd"), std::string::npos) << check_findings;

  ClientChecks checks(work.str(), "941");
  std::string page_findings = FindingsText(checks.Get(folder)->findings);
  std::map<std::string, int> page_opens = counter.Take();
  EXPECT_EQ(page_findings, check_findings);
  // Asked again with nothing changed, the page reads no client file.
  EXPECT_EQ(FindingsText(checks.Get(folder)->findings), check_findings);
  std::map<std::string, int> cached_opens = counter.Take();

  // The system's limit on file watches is shared by every process of the user.
  if (!counter.watching()) GTEST_SKIP() << "no file watch to count the opens with";
  EXPECT_FALSE(check_opens.empty());
  EXPECT_EQ(page_opens, check_opens);
  EXPECT_TRUE(cached_opens.empty());
}

}  // namespace
}  // namespace qreport::web
