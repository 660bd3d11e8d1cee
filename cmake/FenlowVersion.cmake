# The product's facts, read from version.h, their one source; included before project().
# Sets FENLOW_VERSION_HEADER, FENLOW_VERSION (the four numbers, dotted), each number and text that
# version.h defines (FENLOW_VERSION_MAJOR, FENLOW_COMPANY, ...), and FENLOW_FILE_VERSION and
# FENLOW_PRODUCT_VERSION, made from the numbers as version.h makes them. Writes them all, one
# NAME=value a line, to <build>/version-facts.txt for the scripts that check the release.
set(FENLOW_VERSION_HEADER ${CMAKE_SOURCE_DIR}/dorn32/fenlow/resources/version.h)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${FENLOW_VERSION_HEADER})

file(STRINGS ${FENLOW_VERSION_HEADER} _fenlow_defines REGEX "^#define FENLOW_[A-Z_]+ ")
foreach(_line IN LISTS _fenlow_defines)
    if(_line MATCHES "^#define (FENLOW_VERSION_(MAJOR|MINOR|PATCH|BUILD)) ([0-9]+)$")
        set(${CMAKE_MATCH_1} ${CMAKE_MATCH_3})
    elseif(_line MATCHES "^#define (FENLOW_VERSION_STAGE) ([A-Za-z0-9]+( [A-Za-z0-9]+)*)$")
        set(${CMAKE_MATCH_1} "${CMAKE_MATCH_2}")
    elseif(_line MATCHES "^#define (FENLOW_[A-Z_]+) \"([^\"\\]*)\"$")
        set(${CMAKE_MATCH_1} "${CMAKE_MATCH_2}")
    endif()
endforeach()
set(_fenlow_facts FENLOW_VERSION_MAJOR FENLOW_VERSION_MINOR FENLOW_VERSION_PATCH FENLOW_VERSION_BUILD
                  FENLOW_VERSION_STAGE FENLOW_PRODUCT_NAME FENLOW_COMPANY FENLOW_WEBSITE FENLOW_FILE_DESCRIPTION
                  FENLOW_LEGAL_COPYRIGHT)
foreach(_name IN LISTS _fenlow_facts)
    if(NOT DEFINED ${_name})
        message(FATAL_ERROR "${_name} not found in ${FENLOW_VERSION_HEADER} (a number, or a text in double quotes)")
    endif()
endforeach()

set(FENLOW_VERSION ${FENLOW_VERSION_MAJOR}.${FENLOW_VERSION_MINOR}.${FENLOW_VERSION_PATCH}.${FENLOW_VERSION_BUILD})
set(FENLOW_FILE_VERSION ${FENLOW_VERSION})
set(FENLOW_PRODUCT_VERSION "${FENLOW_VERSION_MAJOR}.${FENLOW_VERSION_MINOR} ${FENLOW_VERSION_STAGE}")

set(_fenlow_text "")
foreach(_name IN LISTS _fenlow_facts ITEMS FENLOW_FILE_VERSION FENLOW_PRODUCT_VERSION)
    string(APPEND _fenlow_text "${_name}=${${_name}}\n")
endforeach()
file(WRITE ${CMAKE_BINARY_DIR}/version-facts.txt "${_fenlow_text}")
