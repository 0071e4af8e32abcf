// Printing through a real print server: a private cupsd with raw queues, reached through
// CUPS_SERVER. The destinations are the server's, in the order the CUPS tools list them, and a
// print delivers the report's PDF to the queue byte for byte or says in one line why not.
#include <cups/cups.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "data/client_writer.h"
#include "platform/posix/print_utility.h"
#include "support/fixture.h"
#include "support/print_server.h"

namespace qreport {
namespace {

namespace fs = std::filesystem;
using testing::PlainClient;
using testing::PrivatePrintServer;
using testing::ReadFile;
using testing::TempDir;

TEST(CupsPrinting, TheDestinationsAreTheServersInTheOrderTheCupsToolsListThem) {
  TempDir dir;
  PrivatePrintServer server(dir / "cups");
  const std::vector<std::string> queues = {"zeta", "Beta", "alpha_laser"};
  QREPORT_START_PRINT_SERVER(server, queues);

  cupsSetServer(server.Socket().c_str());
  std::vector<std::string> listed = ListCupsDestinations();
  cupsSetServer(nullptr);

  // The list the picker showed before it asked the library: the CUPS tool's own.
  ASSERT_EQ(testing::RunCommand("CUPS_SERVER='" + server.Socket() + "' lpstat -e", dir / "lpstat.txt"), 0);
  std::vector<std::string> tool;
  std::string text = ReadFile(dir / "lpstat.txt");
  for (std::size_t at = 0, end; at < text.size(); at = end + 1) {
    end = text.find('\n', at);
    tool.push_back(text.substr(at, end - at));
  }
  EXPECT_EQ(listed, tool);
  EXPECT_EQ(listed, (std::vector<std::string>{"alpha_laser", "Beta", "zeta"}));
}

TEST(CupsPrinting, APrintDeliversThePdfOrSaysWhyNot) {
  struct Case {
    const char* what;
    const char* reply;
    int status;
    std::string err;  // standard error before the note of the printed form
    bool delivered;   // the PDF arrived at test_queue
  } cases[] = {
      {"a queue of the server gets the PDF", "X*test_queue*CUPS*N", 0, "print: wrote client/report.pdf\n", true},
      {"a queue the server does not have", "X*office*CUPS*N", 5,
       "print: wrote client/report.pdf\n"
       "qreport: not printed: CUPS could not print to office: The printer or class does not exist.; "
       "the report is client/report.txt\n",
       false},
  };
  TempDir dir;
  PrivatePrintServer server(dir / "cups");
  QREPORT_START_PRINT_SERVER(server, std::vector<std::string>{"test_queue"});

  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(server.Output("test_queue"));
    TempDir work;
    ClientFolderSpec spec;
    spec.client = PlainClient("063005");
    spec.employees.push_back(testing::PlainEmployee("A1", 300000, 600000));
    WriteClientFolder(work / "client", spec);
    WriteRatesFile(work / "client", {"6.2", "6.2", "87900", "1.45", "1.45", "0"});
    WriteBytes(work / "answers", "401\n");
    testing::CommandOutcome o =
        testing::RunQreport(work, std::string("run client --answers answers --printer-reply ") + c.reply,
                            "-u QREPORT_ANSWERS -u QREPORT_PRINTER_REPLY CUPS_SERVER=" + server.Socket());
    EXPECT_EQ(o.status, c.status);
    EXPECT_EQ(o.err, c.err + testing::FacsimileNote("client"));
    if (c.delivered) {
      std::optional<std::string> printed = server.WaitForOutput("test_queue");
      ASSERT_TRUE(printed.has_value()) << "no job arrived\n" << server.LogTail();
      std::string pdf = ReadFile(work / "client" / "report.pdf");
      EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
      EXPECT_TRUE(*printed == pdf) << "the queue got " << printed->size() << " bytes, the PDF has " << pdf.size();
    } else {
      EXPECT_FALSE(fs::exists(server.Output("test_queue")));
    }
  }
}

}  // namespace
}  // namespace qreport
