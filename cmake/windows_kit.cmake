# The Windows kit, qreport-win32.zip (`make package-windows`): what a host developer needs to
# call QREPORT.DLL from C without LoadLibrary. It holds the module, the command, the C header,
# the .def file and two import libraries made from it: libqreport.dll.a for MinGW and
# qreport.lib in the short import format of MSVC-style linkers.
#
# The .def of the kit names each export by its decorated stdcall symbol (QREPORTPROC@12); the
# import libraries are made with the decoration killed (-k), so that a host declaring the
# functions as the header does links to the plain names the DLL exports. It is read off the
# .def the DLL is linked with, so the two cannot disagree.
find_program(QREPORT_DLLTOOL NAMES ${QREPORT_MINGW_PREFIX}-dlltool REQUIRED)
find_program(QREPORT_LLVM_DLLTOOL NAMES llvm-dlltool llvm-dlltool-16 llvm-dlltool-14 REQUIRED)

set(kit_dir ${PROJECT_BINARY_DIR}/kit/qreport-win32)
set(kit_def ${kit_dir}/qreport.def)
file(READ ${PROJECT_SOURCE_DIR}/src/exports/exports.def dll_def)
string(REGEX REPLACE "[^\n]*=[ \t]*([A-Za-z_]+@[0-9]+)" "  \\1" kit_def_text "${dll_def}")
string(REGEX REPLACE ";[^\n]*\n" "" kit_def_text "${kit_def_text}")
file(CONFIGURE OUTPUT ${kit_def} CONTENT
     "; QREPORT.DLL's exports, by their decorated stdcall names. Import libraries made from this file\n; with the decoration killed (dlltool -k) bind those names to the plain names the DLL exports.\n${kit_def_text}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/exports/exports.def)

add_custom_command(
  OUTPUT ${kit_dir}/libqreport.dll.a ${kit_dir}/qreport.lib
  COMMAND ${QREPORT_DLLTOOL} -k -d ${kit_def} -D QREPORT.DLL -l ${kit_dir}/libqreport.dll.a
  COMMAND ${QREPORT_LLVM_DLLTOOL} -m i386 -k -d ${kit_def} -D QREPORT.DLL -l ${kit_dir}/qreport.lib
  DEPENDS ${kit_def}
  COMMENT "import libraries of QREPORT.DLL"
  VERBATIM)
add_custom_target(qreport_import_libs DEPENDS ${kit_dir}/libqreport.dll.a ${kit_dir}/qreport.lib)

set(kit_zip ${PROJECT_BINARY_DIR}/qreport-win32.zip)
add_custom_command(
  OUTPUT ${kit_zip}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:qreport> $<TARGET_FILE:qreport_cli>
          ${PROJECT_SOURCE_DIR}/include/qreport/qreport.h ${kit_dir}
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/cmake/windows_kit_readme.txt ${kit_dir}/README.txt
  COMMAND ${CMAKE_COMMAND} -E rm -f ${kit_zip}
  COMMAND ${CMAKE_COMMAND} -E chdir ${PROJECT_BINARY_DIR}/kit
          ${CMAKE_COMMAND} -E tar cf ${kit_zip} --format=zip --mtime=2026-01-01 qreport-win32
  DEPENDS qreport qreport_cli qreport_import_libs ${PROJECT_SOURCE_DIR}/include/qreport/qreport.h
          ${PROJECT_SOURCE_DIR}/cmake/windows_kit_readme.txt
  COMMENT "qreport-win32.zip"
  VERBATIM)
add_custom_target(package_windows ALL DEPENDS ${kit_zip})
# For the kit's test (tests/windows).
set(QREPORT_KIT_DIR ${kit_dir})
set(QREPORT_KIT_ZIP ${kit_zip})
find_program(QREPORT_NM NAMES ${QREPORT_MINGW_PREFIX}-nm REQUIRED)
