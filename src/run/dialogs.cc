#include "run/dialogs.h"

#include "platform/platform.h"
#include "text/ascii.h"
#include "text/masks.h"
#include "text/numbers.h"

namespace qreport {

const std::string_view kOptionsHelpText =
    "Fill in the appropriate amounts if applicable.\r\n"
    "For the Third-Party Designee name use a literal\r\n"
    " or a Letterhead code (&LH1% or &LH2% etc.)\r\n"
    "For the Preparer Boxes use the Letterhead codes \r\n"
    "(&LH1% &LH2% &LH3% &LH4% &LH5%) separated \r\n"
    "by spaces. Up to 4 codes can be used 1 each \r\n"
    "for: name,address, city, and EIN.\r\n"
    "Letterhead Codes will be replaced with the \r\n"
    "appropriate line from the letterhead file.";

namespace {

// The tables' labels and the frame never notify, so only the ids of the boxes and buttons have
// names (in dialogs.h); a label keeps its id from the dialog's original numbering.
using K = ControlKind;

DialogControl Label(int id, std::string text, int x, int y, int w, int h) {
  return {id, K::kLabel, std::move(text), x, y, w, h};
}
DialogControl Box(int id, std::string text, int x, int y, int w, int h) {
  return {id, K::kTextBox, std::move(text), x, y, w, h};
}
DialogControl Check(int id, std::string caption, bool checked, int x, int y, int w, int h) {
  DialogControl c{id, K::kCheckBox, std::move(caption), x, y, w, h};
  c.checked = checked;
  return c;
}
DialogControl Button(int id, std::string caption, int x, int y, int w, int h) {
  return {id, K::kPushButton, std::move(caption), x, y, w, h};
}

// A month box shows its liability as plain number text: " 1234.5".
std::string MonthText(Cents cents) { return NumberText(CentsValue(cents)); }

// The money value that an options dialog box feeds, or nullptr for any other id.
Cents* MoneyTarget(RunState& state, int id) {
  if (id >= kAdjust7aBox && id <= kAdjust7aBox + 6) {
    Cents* adjustments[] = {&state.adjustment_7a, &state.adjustment_7b, &state.adjustment_7c, &state.adjustment_7d, &state.adjustment_7e, &state.adjustment_7f, &state.adjustment_7g};
    return adjustments[id - kAdjust7aBox];
  }
  if (id == kLine11Box) return &state.deposits;
  if (id >= kMonth1Box && id <= kMonth1Box + 2) return &state.month_liability[static_cast<std::size_t>(id - kMonth1Box + 1)];
  if (id >= kMonth4Box && id <= kMonth4Box + 8) return &state.month_liability[static_cast<std::size_t>(id - kMonth4Box + 4)];
  return nullptr;
}

}  // namespace

Cents MoneyBoxCents(std::string_view text) {
  std::string digits;
  digits.reserve(text.size());
  for (char c : text) {
    if (c != ',' && c != '$') digits += c;
  }
  return ToCents(ParseDecimal(digits));
}

bool IsOptionsMoneyBox(int id) {
  RunState s;
  return MoneyTarget(s, id) != nullptr;
}

DialogTable OptionsDialogTable(const RunState& state) {
  DialogTable t;
  t.title = "Quarterly Report including 941 facsimile for: " + TrimRight(state.data_dir);
  t.width = 420;
  t.height = 220;
  t.frame = DialogFrame::kModalPopup;
  t.controls = {
      Label(101, "Adjustments and deposits:", 10, 10, 200, 12),
      Label(102, "7a. Current quarter's fraction of cents", 10, 22, 240, 12),
      Label(103, "7b. Current quarter's sick pay", 10, 34, 240, 12),
      Label(104, "7c. Current quarter's adjustment for tips and group-term life insurance", 10, 46, 240, 12),
      Label(105, "7d. Current year's income tax withholding", 10, 58, 240, 12),
      Label(106, "7e. Prior quarter\x92s social security and Medicare taxes (Attach Form 941c)", 10, 70, 240, 12),
      Label(107, "7f. Special additions to federal income tax (reserved use)", 10, 82, 240, 12),
      Label(108, "7g. Special additions to social security and Medicare (reserved use)", 10, 94, 240, 12),
      Label(111, "11. Total deposits for this quarter, including prior quarter overpayment ", 10, 106, 240, 12),
      Label(113, "Third Party Designee name", 10, 118, 240, 12),
      Label(114, "Third Party Designee Telephone", 10, 130, 240, 12),
      Label(115, "Preparer Lines (Codes) &&LH1%, etc", 10, 142, 200, 10),
      Label(116, "Jan/1st mo", 10, 154, 40, 10),
      Label(117, "Feb/2nd mo", 60, 154, 40, 10),
      Label(118, "Mar/3rd mo", 110, 154, 40, 10),
      Label(119, "2 digit State (page 2)", 310, 165, 80, 10),
      Label(120, "Monthly depositor", 310, 177, 100, 10),
      Label(121, "Semiweekly depositor", 310, 189, 100, 10),
      Label(122, "April (944)", 160, 154, 40, 10),
      Label(123, "May (944)", 210, 154, 40, 10),
      Label(124, "June (944)", 260, 154, 40, 10),
      Label(125, "July (944)", 10, 180, 40, 10),
      Label(126, "Aug (944)", 60, 180, 40, 10),
      Label(127, "Sep (944)", 110, 180, 40, 10),
      Label(128, "Oct (944)", 160, 180, 40, 10),
      Label(129, "Nov (944)", 210, 180, 40, 10),
      Label(130, "Dec (944)", 260, 180, 40, 10),
      Box(kAdjust7aBox, "", 250, 22, 50, 12),
      Box(kAdjust7aBox + 1, "", 250, 34, 50, 12),
      Box(kAdjust7aBox + 2, "", 250, 46, 50, 12),
      Box(kAdjust7aBox + 3, "", 250, 58, 50, 12),
      Box(kAdjust7aBox + 4, "", 250, 70, 50, 12),
      Box(kAdjust7aBox + 5, "", 250, 82, 50, 12),
      Box(kAdjust7aBox + 6, "", 250, 94, 50, 12),
      Box(kLine11Box, "", 250, 106, 50, 12),
      Box(kDesigneeNameBox, state.designee_name, 250, 118, 150, 12),
      Box(kDesigneePhoneBox, state.designee_phone, 250, 130, 100, 12),
      Box(kPreparerCodesBox, state.preparer_codes, 250, 142, 100, 12),
      Box(kMonth1Box, MonthText(state.month_liability[1]), 10, 164, 40, 12),
      Box(kMonth1Box + 1, MonthText(state.month_liability[2]), 60, 164, 40, 12),
      Box(kMonth1Box + 2, MonthText(state.month_liability[3]), 110, 164, 40, 12),
      Box(kStateCodeBox, state.state_code, 380, 164, 20, 12),
      Check(kMonthlyDepositorBox, "", false, 380, 176, 15, 12),
      Check(kSemiweeklyDepositorBox, "", false, 380, 188, 15, 12),
      Box(kMonth4Box, "0", 160, 164, 40, 12),
      Box(kMonth4Box + 1, "0", 210, 164, 40, 12),
      Box(kMonth4Box + 2, "0", 260, 164, 40, 12),
      Box(kMonth4Box + 3, "0", 10, 190, 40, 12),
      Box(kMonth4Box + 4, "0", 60, 190, 40, 12),
      Box(kMonth4Box + 5, "0", 110, 190, 40, 12),
      Box(kMonth4Box + 6, "0", 160, 190, 40, 12),
      Box(kMonth4Box + 7, "0", 210, 190, 40, 12),
      Box(kMonth4Box + 8, "0", 260, 190, 40, 12),
      Check(kPrint941Box, "Print 941", true, 310, 200, 50, 12),
      Check(kPrint944Box, "Print 944", false, 360, 200, 50, 12),
      Button(kDoneButton, "&Done", 40, 204, 30, 14),
      Button(kCancelButton, "&Cancel", 90, 204, 30, 14),
      Button(kHelpButton, "&Help", 140, 204, 30, 14),
  };
  return t;
}

void NotifyOptionsDialog(RunContext& ctx, int id, DialogControls& dialog) {
  RunState& state = ctx.state;
  if (Cents* money = MoneyTarget(state, id)) {
    *money = MoneyBoxCents(WithinTextBoxLimit(dialog.Text(id)));
    return;
  }
  switch (id) {
    case kDesigneeNameBox: state.designee_name = WithinTextBoxLimit(dialog.Text(id)); break;
    case kDesigneePhoneBox: state.designee_phone = WithinTextBoxLimit(dialog.Text(id)); break;
    case kPreparerCodesBox: state.preparer_codes = WithinTextBoxLimit(dialog.Text(id)); break;
    case kStateCodeBox: state.state_code = Trim(WithinTextBoxLimit(dialog.Text(id))); break;
    case kMonthlyDepositorBox:
      if (dialog.IsChecked(id)) {
        state.monthly_depositor = true;
        state.semiweekly_depositor = false;
        dialog.SetChecked(kSemiweeklyDepositorBox, false);
      } else {
        state.monthly_depositor = false;
      }
      break;
    case kSemiweeklyDepositorBox:
      if (dialog.IsChecked(id)) {
        state.semiweekly_depositor = true;
        state.monthly_depositor = false;
        dialog.SetChecked(kMonthlyDepositorBox, false);
      } else {
        state.semiweekly_depositor = false;
      }
      break;
    case kPrint941Box:
    case kPrint944Box: {
      // Exactly one of the pair is checked: the box clicked decides, the other follows.
      bool is941 = id == kPrint941Box;
      bool checked = dialog.IsChecked(id);
      bool print941 = is941 ? checked : !checked;
      state.print_941 = print941;
      state.print_944 = !print941;
      dialog.SetChecked(is941 ? kPrint944Box : kPrint941Box, !checked);
      break;
    }
    case kDoneButton: dialog.End(0); break;
    case kCancelButton:
      state.cancel_requested = true;
      dialog.End(0);
      break;
    case kHelpButton: ctx.platform.MessageBox(kHelpCaption, kOptionsHelpText); break;
    default: break;
  }
}

DialogTable ReportDateDialogTable(const RunState& state, std::string_view title) {
  DialogTable t;
  t.title = std::string(title);
  t.width = 200;
  t.height = 107;
  t.frame = DialogFrame::kPlainOverlapped;
  DialogControl ok = Button(kOkButton, "OK", 50, 66, 20, 16);
  DialogControl cancel = Button(kReportDateCancelButton, "CANCEL", 100, 66, 40, 16);
  ok.centred_text = cancel.centred_text = true;
  t.controls = {
      Box(kReportDateBox, state.report_date, 120, 4, 60, 10),
      Label(102, "Enter Report Date", 10, 4, 88, 12),
      Label(121, "Adjust Federal Withholding", 10, 18, 98, 8),
      Box(kFederalAdjustBox, state.federal_withholding_text, 120, 18, 60, 10),
      Label(122, "Adjust FICA Withholding", 10, 30, 98, 8),
      Box(kFicaAdjustBox, state.fica_withholding_text, 120, 30, 60, 10),
      Label(123, "Total Payments:", 10, 42, 98, 8),
      Box(kTotalPaymentsBox, state.total_payments_text, 120, 42, 60, 10),
      {144, K::kFrame, "", 40, 56, 110, 30},
      ok,
      cancel,
  };
  return t;
}

void NotifyReportDateDialog(RunContext& ctx, int id, DialogControls& dialog) {
  RunState& state = ctx.state;
  switch (id) {
    case kReportDateBox: state.report_date = WithinTextBoxLimit(dialog.Text(id)); break;
    case kFederalAdjustBox: state.federal_withholding_text = WithinTextBoxLimit(dialog.Text(id)); break;
    case kFicaAdjustBox: state.fica_withholding_text = WithinTextBoxLimit(dialog.Text(id)); break;
    case kTotalPaymentsBox: state.total_payments_text = WithinTextBoxLimit(dialog.Text(id)); break;
    case kOkButton:
      if (state.device_code == "P" || state.device_code == "S" || state.device_code == "V") {
        dialog.End(1);
      } else {
        ctx.platform.MessageBox(kDefaultCaption, kInvalidPrintDevice);
      }
      break;
    case kReportDateCancelButton:
      dialog.End(1);
      state.cancel_requested = true;
      break;
    default: break;
  }
}

}  // namespace qreport
