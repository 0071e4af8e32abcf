# What both Windows cross builds share (cmake/mingw32.cmake and cmake/mingw64.cmake set
# QREPORT_MINGW_PREFIX and QREPORT_MINGW_ARCH_FLAGS first, then include this file). Everything is
# linked statically, so the module and the programs need no compiler runtime DLLs beside them.
# The tests run the programs built here under wine (tests/windows).
set(CMAKE_SYSTEM_NAME Windows)

# The posix thread model gives the whole of the standard thread library; linked statically.
find_program(CMAKE_C_COMPILER NAMES ${QREPORT_MINGW_PREFIX}-gcc-posix ${QREPORT_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${QREPORT_MINGW_PREFIX}-g++-posix ${QREPORT_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${QREPORT_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QREPORT_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -s -Wl,--gc-sections")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -s -Wl,--gc-sections")
# Windows 7 and later: the thread error mode and the other calls the port makes.
set(QREPORT_MINGW_FLAGS "-D_WIN32_WINNT=0x0601 -DWINVER=0x0601 -ffunction-sections -fdata-sections ${QREPORT_MINGW_ARCH_FLAGS}")
set(CMAKE_CXX_FLAGS_INIT "${QREPORT_MINGW_FLAGS}")
set(CMAKE_C_FLAGS_INIT "${QREPORT_MINGW_FLAGS}")

# pkg-config looks only at libraries built for Windows, never at this machine's own.
set(ENV{PKG_CONFIG_LIBDIR} /usr/${QREPORT_MINGW_PREFIX}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
