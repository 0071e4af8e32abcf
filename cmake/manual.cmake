# The manual: every docs/man/NAME.SECTION.scd becomes the man page NAME.SECTION, through scdoc,
# at build time. A new subcommand's page is one more file there; nothing here changes.
# Without scdoc the pages are left out with a note (the demo needs none); `scripts/bootstrap
# test` installs it, and the install test fails when the pages are missing.
find_program(QREPORT_SCDOC scdoc)
file(GLOB qreport_man_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/man/*.scd)
set(QREPORT_MAN_DIR ${PROJECT_BINARY_DIR}/man)

if(NOT QREPORT_SCDOC)
  message(STATUS "qreport: scdoc not found, the man pages are not built (scripts/bootstrap test installs it)")
  return()
endif()

set(qreport_man_pages)
foreach(source IN LISTS qreport_man_sources)
  get_filename_component(page ${source} NAME_WLE)  # qreport-run.1
  string(REGEX MATCH "[0-9]$" section ${page})
  set(out ${QREPORT_MAN_DIR}/man${section}/${page})
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${QREPORT_MAN_DIR}/man${section}
    COMMAND sh -c "\"$1\" <\"$2\" >\"$3.tmp\" && mv \"$3.tmp\" \"$3\"" sh ${QREPORT_SCDOC} ${source} ${out}
    DEPENDS ${source}
    COMMENT "man page ${page}"
    VERBATIM)
  list(APPEND qreport_man_pages ${out})
  install(FILES ${out} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endforeach()
add_custom_target(manual ALL DEPENDS ${qreport_man_pages})
