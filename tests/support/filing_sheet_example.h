// Filing sheets for the tests and the README's picture: a Form 941 quarter and a Form 944 year
// whose figures add up as the forms' arithmetic says, with the captions of the current forms'
// list of lines.
#pragma once

#include "escp/cairo/filing_sheet.h"

namespace qreport::testing {

// The second quarter of 2026 for a monthly depositor with three employees, one of them above
// the Additional Medicare Tax threshold; a balance due of 37.58 and a designee.
escp::FilingSheet ExampleForm941Sheet();

// The year 2026 on Form 944 for a small employer whose line 9 is under $2,500; an overpayment
// and no designee.
escp::FilingSheet ExampleForm944Sheet();

}  // namespace qreport::testing
