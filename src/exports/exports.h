// The module's exports, as a host loads them: from QREPORT.DLL on Windows, with the standard
// calling convention and exported by plain name (exports.def), or from libqreport.so with C
// linkage. They are declared once, in the public header that hosts include, so that what the
// module defines and what hosts call cannot drift apart: a definition that differs from it does
// not compile. String arguments are host string handles (see host_string.h).
#pragma once

#include <qreport/qreport.h>

#include "exports/host_string.h"
