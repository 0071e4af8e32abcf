// The form route's pages after the worksheet: the chosen form's two pages, then the payment
// voucher. Each is computed first into the plain page struct its printer takes (the figures that
// `lines` reports are these same structs), then appended to the run's report file. What they
// read that cannot be read (letterhead, rates, client or employee files) counts as empty or zero
// and the page is still written; only a report file that cannot be written is an error.
#pragma once

#include <filesystem>

#include "forms/form941.h"
#include "forms/form941_layout.h"
#include "forms/form944.h"
#include "forms/form944_layout.h"
#include "forms/voucher.h"
#include "state/run_state.h"

namespace qreport {

// Form 941's values. Reads "prep." and "FICA.RAT" in ctx.rates_dir and the client and employee
// files of the run (ctx.missing says what a missing file is). The run is read, never written: the
// employer texts read afresh from the client file are the page's employer.texts, the preparer
// codes it printed (upper case) its preparer_codes, and a 7a that the fraction-of-cents rule
// fills is in its lines; the run takes what it keeps (TakePageTexts). Never throws
// RunError. `quarter` is the quarter's employee pass when the caller has made it already
// (alongside the worksheet's); without it the employee files are read here.
Form941Page ComputeForm941Page(const RunContext& ctx, const PayTotals* quarter = nullptr);

// Form 944's values, as Form 941's are computed, from the year's amounts and the twelve monthly
// liabilities.
Form944Page ComputeForm944Page(const RunContext& ctx, const PayTotals* year = nullptr);

// The payment voucher's values (944-V when Print944 is 1, else 941-V), after reading the client
// file again (its texts are the page's employer_texts).
VoucherPage ComputeVoucherPage(const RunContext& ctx);


// Append the pages to `report`. Throw RunError when `report` cannot be written.
void AppendForm941(const Form941Page& page, const std::filesystem::path& report);
void AppendForm944(const Form944Page& page, const std::filesystem::path& report);
void AppendVoucher(const VoucherPage& page, const std::filesystem::path& report);

}  // namespace qreport
