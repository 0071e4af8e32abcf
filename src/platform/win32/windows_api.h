// <windows.h> as the Windows port includes it: without min/max macros, and without the macro
// MessageBox, which would otherwise rename Platform::MessageBox wherever both are seen.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <oleauto.h>

#undef MessageBox
