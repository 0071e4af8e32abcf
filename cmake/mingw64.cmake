# Cross-compiling for 64-bit Windows with MinGW-w64: QREPORT.DLL for 64-bit hosts. x86-64 has one
# calling convention, and its floating point is SSE2 already.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QREPORT_MINGW_PREFIX x86_64-w64-mingw32)
set(QREPORT_WINDOWS_BITS 64)
set(QREPORT_MINGW_ARCH_FLAGS "")
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
