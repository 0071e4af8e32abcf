// The rows both forms print alike on their second page, from the third-party designee's heading
// to the end of the paid preparer's boxes: the designee (its box checked and its name printed when
// the name is not blank), the signature boxes and the preparer lines 1 to 3. Their texts keep the
// printed form's own spelling ("pennalty"), on purpose: see forms/form_rows.h.
#pragma once

#include <array>
#include <string>

#include "forms/printer_codes.h"

namespace qreport {

// Appends those rows to `out`, each ending with CR LF.
void DesigneeSignaturePreparerRows(PrinterText& out, const std::string& designee_name,
                                   const std::string& designee_phone, const std::array<std::string, 3>& preparer);

}  // namespace qreport
