# The Windows kit, qreport-win32.zip or qreport-win64.zip (`make package-windows` builds both):
# what a host developer needs to call QREPORT.DLL from C without LoadLibrary. It holds the
# module, the command, the C header, the .def file and two import libraries made from it:
# libqreport.dll.a for MinGW and qreport.lib in the short import format of MSVC-style linkers.
#
# 32-bit: the .def of the kit names each export by its decorated stdcall symbol (QREPORTPROC@12);
# the import libraries are made with the decoration killed (-k), so that a host declaring the
# functions as the header does links to the plain names the DLL exports. 64-bit: one calling
# convention and no decoration, so the kit's .def is the DLL's own. Either is read off the .def
# the DLL is linked with, so the two cannot disagree.
find_program(QREPORT_DLLTOOL NAMES ${QREPORT_MINGW_PREFIX}-dlltool REQUIRED)
find_program(QREPORT_LLVM_DLLTOOL NAMES llvm-dlltool llvm-dlltool-16 llvm-dlltool-14 REQUIRED)

set(kit_name qreport-win${QREPORT_WINDOWS_BITS})
set(kit_dir ${PROJECT_BINARY_DIR}/kit/${kit_name})
set(kit_def ${kit_dir}/qreport.def)
string(REGEX REPLACE ";[^\n]*\n" "" kit_def_text "${QREPORT_EXPORTS_DEF_TEXT}")
if(QREPORT_WINDOWS_BITS EQUAL 32)
  string(REGEX REPLACE "[^\n]*=[ \t]*([A-Za-z_]+@[0-9]+)" "  \\1" kit_def_text "${kit_def_text}")
  set(kit_def_comment "; QREPORT.DLL's exports, by their decorated stdcall names. Import libraries made from this file\n; with the decoration killed (dlltool -k) bind those names to the plain names the DLL exports.")
  set(kit_kill_at -k)
  set(kit_llvm_machine i386)
  set(QREPORT_KIT_DEF_LINE "qreport.def     the exports by their decorated stdcall names")
  set(QREPORT_KIT_CONVENTION "The exports use the standard calling convention (__stdcall) and are exported by plain name.")
else()
  set(kit_def_comment "; QREPORT.DLL's exports, by name: x86-64 has one calling convention and no decorated names.")
  set(kit_kill_at)
  set(kit_llvm_machine i386:x86-64)
  set(QREPORT_KIT_DEF_LINE "qreport.def     the exports by name")
  set(QREPORT_KIT_CONVENTION "The exports use the x86-64 calling convention, the only one of 64-bit Windows, and are\nexported by plain name.")
endif()
file(CONFIGURE OUTPUT ${kit_def} CONTENT "${kit_def_comment}\n${kit_def_text}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/windows_kit_readme.txt ${kit_dir}/README.txt @ONLY)

add_custom_command(
  OUTPUT ${kit_dir}/libqreport.dll.a ${kit_dir}/qreport.lib
  COMMAND ${QREPORT_DLLTOOL} ${kit_kill_at} -d ${kit_def} -D QREPORT.DLL -l ${kit_dir}/libqreport.dll.a
  COMMAND ${QREPORT_LLVM_DLLTOOL} -m ${kit_llvm_machine} ${kit_kill_at} -d ${kit_def} -D QREPORT.DLL -l ${kit_dir}/qreport.lib
  DEPENDS ${kit_def}
  COMMENT "import libraries of QREPORT.DLL (${QREPORT_WINDOWS_BITS}-bit)"
  VERBATIM)
add_custom_target(qreport_import_libs DEPENDS ${kit_dir}/libqreport.dll.a ${kit_dir}/qreport.lib)

set(kit_zip ${PROJECT_BINARY_DIR}/${kit_name}.zip)
add_custom_command(
  OUTPUT ${kit_zip}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:qreport> $<TARGET_FILE:qreport_cli>
          ${PROJECT_SOURCE_DIR}/include/qreport/qreport.h ${kit_dir}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${kit_zip}
  COMMAND ${CMAKE_COMMAND} -E chdir ${PROJECT_BINARY_DIR}/kit
          ${CMAKE_COMMAND} -E tar cf ${kit_zip} --format=zip --mtime=2026-01-01 ${kit_name}
  DEPENDS qreport qreport_cli qreport_import_libs ${PROJECT_SOURCE_DIR}/include/qreport/qreport.h
          ${kit_dir}/README.txt
  COMMENT "${kit_name}.zip"
  VERBATIM)
add_custom_target(package_windows ALL DEPENDS ${kit_zip})
# For the kit's test (tests/windows).
set(QREPORT_KIT_DIR ${kit_dir})
set(QREPORT_KIT_ZIP ${kit_zip})
find_program(QREPORT_NM NAMES ${QREPORT_MINGW_PREFIX}-nm REQUIRED)
