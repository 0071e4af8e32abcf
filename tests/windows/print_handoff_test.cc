// The hand-off to the outside printer picker and print utility, with stand-ins for both that
// record their calls. Each case decides which of the two libraries the module can find: they are
// copied into the client folder, which is the current directory, or left out.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "run/dialogs.h"
#include "support/client_run.h"

namespace qreport::wintest {
namespace {

namespace fs = std::filesystem;

const fs::path kStandins = WinePath(QREPORT_STANDIN_DIR_UNIX);

// Sets an environment variable for the stand-ins loaded into this process; nullopt removes it.
void SetVariable(const char* name, const std::optional<std::string>& value) {
  SetEnvironmentVariableA(name, value ? value->c_str() : nullptr);
}

struct Case {
  const char* name;
  const char* payroll_date;                 // 04: the short route, which appends /FP
  const char* picker_file;                  // what is copied as GPRINTER.DLL ("" for nothing)
  const char* print_file;                   // what is copied as DLLPRINT.DLL
  std::optional<std::string> reply;         // the picker's reply; nullopt: a null string
  bool picker_called;
  const char* command;                      // the print command after the report path; "" none
  const char* message;                      // the start of the one message box; "" none
};

const Case kCases[] = {
    {"the form route prints with /NP", "063026", "GPRINTER.DLL", "DLLPRINT.DLL", "A*LPT1:*X*N", true, ",LPT1,X,/NP", ""},
    {"the short route appends /FP", "063004", "GPRINTER.DLL", "DLLPRINT.DLL", "A*LPT1:*X*Y", true, ",LPT1,X,/ZM/FP", ""},
    {"an empty first field prints nothing", "063004", "GPRINTER.DLL", "DLLPRINT.DLL", "*LPT1*X*N", true, "", ""},
    {"no second star prints nothing", "063004", "GPRINTER.DLL", "DLLPRINT.DLL", "A*LPT1", true, "", ""},
    {"a null reply prints nothing", "063004", "GPRINTER.DLL", "DLLPRINT.DLL", std::nullopt, true, "", ""},
    {"no picker", "063004", "", "DLLPRINT.DLL", "A*LPT1:*X*N", false, "",
     "The print utility is not installed (GPRINTER.DLL was not found)."},
    {"no print utility", "063004", "GPRINTER.DLL", "", "A*LPT1:*X*N", false, "",
     "The print utility is not installed (DLLPRINT.DLL was not found)."},
    {"a picker without its function", "063004", "DLLPRINT.DLL", "DLLPRINT.DLL", "A*LPT1:*X*N", false, "",
     "The print utility is not installed (GETTHEPRINTER in GPRINTER.DLL was not found)."},
};

TEST(PrintHandOff, PickerAndPrintUtility) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    HostModule dll;
    ClientFolder client(c.payroll_date);
    if (*c.picker_file) fs::copy_file(kStandins / c.picker_file, client.file("GPRINTER.DLL"));
    if (*c.print_file) fs::copy_file(kStandins / c.print_file, client.file("DLLPRINT.DLL"));
    SetVariable("QREPORT_PRINTER_REPLY", c.reply);
    SetVariable("QREPORT_PICKER_LOG", client.file("picker.log").string());
    SetVariable("QREPORT_PRINT_LOG", client.file("print.log").string());

    bool short_route = std::string(c.payroll_date).substr(4) == "04";
    RunOutcome run = RunReport(dll, client.dir(), "P", "941",
                               short_route ? PressInReportDateDialog(kOkButton) : PressInOptionsDialog(kDoneButton));
    EXPECT_EQ(run.call.stack_moved, 0);

    const std::string report = client.dir() + "\\report.txt";
    EXPECT_EQ(client.Read("picker.log"), c.picker_called ? "[][" + report + "][][][][]\n" : "");
    EXPECT_EQ(client.Read("print.log"), *c.command ? report + c.command + "\n" : "");
    if (*c.message) {
      ASSERT_EQ(run.messages.size(), 1u);
      EXPECT_EQ(run.messages[0],
                MessageLine(kDefaultCaption, std::string(c.message) + "\r\nThe report was not printed; it is in " + report));
    } else {
      EXPECT_TRUE(run.messages.empty()) << run.messages[0];
    }
  }
}

}  // namespace
}  // namespace qreport::wintest
