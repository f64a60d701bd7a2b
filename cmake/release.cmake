# The release's date comes from CHANGELOG.md, whose newest section must be
# this version ("## 1.0.0 — 2026-12-08"): a version without its changelog
# section does not configure.
file(STRINGS ${PROJECT_SOURCE_DIR}/CHANGELOG.md _ptpdiag_sections REGEX "^## " ENCODING UTF-8)
list(GET _ptpdiag_sections 0 _ptpdiag_newest)
if(NOT _ptpdiag_newest MATCHES "^## ([0-9.]+) .* ([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$")
  message(FATAL_ERROR "CHANGELOG.md: the newest section should read '## VERSION — YYYY-MM-DD', "
                      "not '${_ptpdiag_newest}'")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "CHANGELOG.md: the newest section is ${CMAKE_MATCH_1}, "
                      "the project's version ${PROJECT_VERSION}")
endif()
set(PTPDIAG_RELEASE_DATE "${CMAKE_MATCH_2}-${CMAKE_MATCH_3}-${CMAKE_MATCH_4}")

# The same date as RFC 2822 for the Debian changelog (weekday by
# Sakamoto's method).
math(EXPR _y "${CMAKE_MATCH_2}")
math(EXPR _m "${CMAKE_MATCH_3}")
math(EXPR _d "${CMAKE_MATCH_4}")
set(_offsets 0 3 2 5 0 3 5 1 4 6 2 4)
math(EXPR _i "${_m} - 1")
list(GET _offsets ${_i} _offset)
if(_m LESS 3)
  math(EXPR _y "${_y} - 1")
endif()
math(EXPR _weekday "(${_y} + ${_y} / 4 - ${_y} / 100 + ${_y} / 400 + ${_offset} + ${_d}) % 7")
set(_weekdays Sun Mon Tue Wed Thu Fri Sat)
set(_months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(GET _weekdays ${_weekday} _weekday_name)
list(GET _months ${_i} _month_name)
set(PTPDIAG_RELEASE_DATE_RFC2822
    "${_weekday_name}, ${CMAKE_MATCH_4} ${_month_name} ${CMAKE_MATCH_2} 00:00:00 +0000")
