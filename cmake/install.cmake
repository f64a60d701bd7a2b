# What `cmake --install` puts where on Linux (GNUInstallDirs): the two
# programs, the desktop entry and icons, the metainfo, manual pages, and the
# documentation with examples. Texts over a few kilobytes are installed
# gzip-compressed (-9n: the same bytes on every build), as Debian does.
include(GNUInstallDirs)

set(PTPDIAG_HOMEPAGE "https://norvalen.com/ptpdiag/" CACHE STRING
    "Where the project is published (metainfo, package); ends in /")
set(PTPDIAG_MAINTAINER "ptpdiag developers <ptpdiag@norvalen.com>" CACHE STRING
    "The package's maintainer, as NAME <ADDRESS>")

find_program(PTPDIAG_GZIP gzip REQUIRED)
set(_staged ${CMAKE_BINARY_DIR}/install-files)

# ptpdiag_gzip(SOURCE OUTPUT_NAME): OUTPUT_NAME.gz in the staging folder.
function(ptpdiag_gzip source name)
  add_custom_command(OUTPUT ${_staged}/${name}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_staged}
    COMMAND ${PTPDIAG_GZIP} -9nc ${source} > ${_staged}/${name}.gz
    DEPENDS ${source} VERBATIM)
  set_property(GLOBAL APPEND PROPERTY PTPDIAG_STAGED ${_staged}/${name}.gz)
endfunction()

# The manual pages with their version and date, for the tests too.
set(PTPDIAG_MAN_DIR ${_staged}/man)
configure_file(docs/man/ptpdiag.1 ${_staged}/man/ptpdiag.1 @ONLY)
configure_file(docs/man/ptpdiag-sim.1 ${_staged}/man/ptpdiag-sim.1 @ONLY)
configure_file(packaging/linux/org.norvalen.ptpdiag.metainfo.xml.in
               ${_staged}/org.norvalen.ptpdiag.metainfo.xml @ONLY)
configure_file(packaging/linux/copyright.in ${_staged}/copyright @ONLY)
configure_file(packaging/linux/changelog.Debian.in ${_staged}/changelog @ONLY)

ptpdiag_gzip(${_staged}/man/ptpdiag.1 ptpdiag.1)
ptpdiag_gzip(${_staged}/man/ptpdiag-sim.1 ptpdiag-sim.1)
ptpdiag_gzip(${_staged}/changelog changelog)
ptpdiag_gzip(${PROJECT_SOURCE_DIR}/CHANGELOG.md CHANGELOG.md)
ptpdiag_gzip(${PROJECT_SOURCE_DIR}/README.md README.md)
ptpdiag_gzip(${PROJECT_SOURCE_DIR}/samples/demo.cap demo.cap)
get_property(_staged_files GLOBAL PROPERTY PTPDIAG_STAGED)
add_custom_target(ptpdiag_install_files ALL DEPENDS ${_staged_files})

install(TARGETS ptpdiag ptpdiag-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES packaging/linux/org.norvalen.ptpdiag.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_staged}/org.norvalen.ptpdiag.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The kept hicolor tree as make-icons writes it: PNGs and the scalable SVG.
install(DIRECTORY src/resources/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

install(FILES ${_staged}/ptpdiag.1.gz ${_staged}/ptpdiag-sim.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

install(FILES ${_staged}/README.md.gz ${_staged}/CHANGELOG.md.gz ${_staged}/changelog.gz
              ${_staged}/copyright LICENSE
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${_staged}/demo.cap.gz samples/example.RAD contrib/alarms/ptpdiag-alarms.json
              contrib/report/ptpdiag-profile.json contrib/prometheus/ptpdiag_rules.yml
        DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
# The user guide, which Help -> User Guide... opens.
install(DIRECTORY docs/guide DESTINATION ${CMAKE_INSTALL_DOCDIR})
