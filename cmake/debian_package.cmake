# The Debian package, made by `cpack -G DEB` from the install rules:
# ptpdiag_<version>_amd64.deb, its library dependencies computed from the
# programs by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ptpdiag)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Norvalen")
set(CPACK_PACKAGE_CONTACT "${PTPDIAG_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "diagnostics for point-to-point frequency-hopping radio links")
set(CPACK_PACKAGE_DESCRIPTION
    "Norvalen PTP Diagnostics listens to one radio of a point-to-point link of\n"
    "frequency-hopping data radios, over a serial port, TCP or UDP, decodes the\n"
    "diagnostic frame the radio sends on every hop, and shows running averages\n"
    "per period, per hop channel and over time on three screens. It records\n"
    "sessions for exact replay, exports the figures as CSV and can serve them\n"
    "to Prometheus. ptpdiag-sim simulates a radio for trying it without one.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
# The paths inside the manual page follow CMAKE_INSTALL_PREFIX: /usr for a package.
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${PTPDIAG_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${PTPDIAG_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The screen's font, which no library asks for.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
