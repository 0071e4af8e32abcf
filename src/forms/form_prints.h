// The printing steps of the form path after the worksheet: the chosen form's two pages, then the
// payment voucher, each appended to the run's report file. What they read that cannot be read
// (letterhead, rates, client or employee files) counts as empty or zero and the page is still
// written; only a report file that cannot be written is an error.
#pragma once

#include <filesystem>

#include "state/run_state.h"

namespace qreport {

// Appends Form 941 to `report`. Reads "prep." and "FICA.RAT" in ctx.WorkDir and the client and
// employee files of the run; upper-cases PreparerCodes and may set Adjust7a (fraction of cents)
// in the run state. Throws RunError when `report` cannot be written.
void PrintForm941Facsimile(RunContext& ctx, const std::filesystem::path& report);

// Appends Form 944 to `report`, as Form 941 is appended, from the year's amounts and the twelve
// monthly liabilities; also sets PrintDevice to "P". Throws RunError when `report` cannot be
// written.
void PrintForm944Facsimile(RunContext& ctx, const std::filesystem::path& report);

// Appends the payment voucher (944-V when Print944 is 1, else 941-V) to `report`, after reading
// the client file again. Throws RunError when `report` cannot be written.
void PrintPaymentVoucher(RunContext& ctx, const std::filesystem::path& report);

}  // namespace qreport
