# Cross-compiling for 32-bit Windows with MinGW-w64: the host's drop-in QREPORT.DLL, with stdcall
# exports.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(QREPORT_MINGW_PREFIX i686-w64-mingw32)
# The bits of the build: the kit's name, its import libraries' machine, the test suite's wine
# prefix.
set(QREPORT_WINDOWS_BITS 32)
# The money rules are written for 64-bit IEEE doubles, as the x86-64 Linux build computes them;
# the x87 unit keeps 80-bit intermediates, so sums and products stored as cents round to another
# cent near a half cent. Every machine the host runs on has SSE2.
set(QREPORT_MINGW_ARCH_FLAGS "-msse2 -mfpmath=sse")
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
