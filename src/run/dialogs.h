// The two dialogs of a report run as data and rules: the options dialog of the form route and
// the report date dialog of the short route. Each is one table of controls, built from the run's
// state so that the boxes start with what the state holds, and one notify function that applies
// the rule of a control to the state whenever that control notifies. Every backend shows the
// same tables and calls the same functions; none re-states a rule.
#pragma once

#include <string>
#include <string_view>

#include "platform/dialog.h"
#include "state/run_state.h"

namespace qreport {

// Control ids of the options dialog.
inline constexpr int kAdjust7aBox = 202;  // 202 to 208: lines 7a to 7g
inline constexpr int kLine11Box = 211;
inline constexpr int kDesigneeNameBox = 213;
inline constexpr int kDesigneePhoneBox = 214;
inline constexpr int kPreparerCodesBox = 215;
inline constexpr int kMonth1Box = 216;  // 216 to 218: months 1 to 3
inline constexpr int kStateCodeBox = 219;
inline constexpr int kMonthlyDepositorBox = 220;
inline constexpr int kSemiweeklyDepositorBox = 221;
inline constexpr int kMonth4Box = 222;  // 222 to 230: months 4 to 12
inline constexpr int kPrint941Box = 242;
inline constexpr int kPrint944Box = 243;
inline constexpr int kDoneButton = 401;
inline constexpr int kCancelButton = 402;
inline constexpr int kHelpButton = 403;

// Control ids of the report date dialog.
inline constexpr int kReportDateBox = 101;
inline constexpr int kFederalAdjustBox = 131;
inline constexpr int kFicaAdjustBox = 132;
inline constexpr int kTotalPaymentsBox = 133;
inline constexpr int kOkButton = 103;
inline constexpr int kReportDateCancelButton = 113;

// The Help button's message: nine lines joined by CR LF, none after the last.
extern const std::string_view kOptionsHelpText;
inline constexpr std::string_view kHelpCaption = "Help";
inline constexpr std::string_view kInvalidPrintDevice = "Invalid Print Device Selected";

// The cents a money box's text stands for: every "," and "$" is ignored, the rest is read by the
// decimal text-to-number rule (text that is no number gives 0, "12abc" gives 12) and stored as
// value x 100, a half cent to the even cent.
Cents MoneyBoxCents(std::string_view text);

// Whether control `id` of the options dialog is a money box (lines 7a to 7g, line 11, the months).
bool IsOptionsMoneyBox(int id);

// The options dialog's table, its boxes filled from `state` (the saved texts, the quarter's
// three monthly liabilities as plain number text) and its title naming the data directory.
DialogTable OptionsDialogTable(const RunState& state);

// Applies the options dialog's rule for control `id` to the run: money boxes store cents, the
// designee and preparer texts are copied, the state code is trimmed, the depositor and form
// check boxes keep their pairs consistent, Done and Cancel end the dialog, Help shows its text.
void NotifyOptionsDialog(RunContext& ctx, int id, DialogControls& dialog);

// The report date dialog's table with `title` ("Quarterly Report" for the 941 report kind).
DialogTable ReportDateDialogTable(const RunState& state, std::string_view title);

// Applies the report date dialog's rule for control `id`: the texts are copied; OK ends the
// dialog when the print device is P, S or V and otherwise says so; CANCEL ends it cancelled.
void NotifyReportDateDialog(RunContext& ctx, int id, DialogControls& dialog);

}  // namespace qreport
