# What `cmake --install` puts where, and the Debian package that holds the same: the command,
# libqreport.so.1 with its header, pkg-config file and CMake package, the man pages (manual.cmake),
# the bash completion and the documents.
include(CMakePackageConfigHelpers)

install(TARGETS qreport_cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS qreport EXPORT qreportTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        PUBLIC_HEADER DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/qreport)

# pkg-config: the prefix is found from where the file lies, so an install moved with
# `--prefix` or DESTDIR still points at its own files.
file(RELATIVE_PATH qreport_pc_to_prefix ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/pkgconfig
     ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" qreport_pc_to_prefix "${qreport_pc_to_prefix}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/qreport.pc.in ${PROJECT_BINARY_DIR}/qreport.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/qreport.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# find_package(qreport CONFIG) gives the imported target qreport::qreport.
set(qreport_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/qreport)
install(EXPORT qreportTargets NAMESPACE qreport:: DESTINATION ${qreport_cmake_dir})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/qreportConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/qreportConfig.cmake INSTALL_DESTINATION ${qreport_cmake_dir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/qreportConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/qreportConfig.cmake ${PROJECT_BINARY_DIR}/qreportConfigVersion.cmake
        DESTINATION ${qreport_cmake_dir})

install(FILES ${PROJECT_SOURCE_DIR}/src/cli/completion.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME qreport)
file(GLOB qreport_docs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/*.md ${PROJECT_SOURCE_DIR}/docs/*.png)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${qreport_docs} DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The Debian package (`make package`): what the rules above install, under /usr, with the
# dependencies that dpkg-shlibdeps reads off the binaries.
set(QREPORT_MAINTAINER "qreport maintainers <maintainers@qreport.invalid>" CACHE STRING
    "The Debian package's maintainer field")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qreport)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR qreport)
set(CPACK_PACKAGE_CONTACT ${QREPORT_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "quarterly payroll-tax report module and command")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "The quarterly payroll-tax report module of a small-employer payroll package: libqreport.so\n\
for host programs, and the qreport command, which runs a client's report (worksheet, Form 941\n\
or Form 944 and payment voucher), renders its printer text to PDF and PNG, and reports disk space.")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
include(CPack)
