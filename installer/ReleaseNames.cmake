# Names and versions of the release files, read from version.h so that it stays the one source.
# Included by installer/ and tests/release/.
set(FENLOW_VERSION_HEADER ${CMAKE_SOURCE_DIR}/dorn32/fenlow/resources/version.h)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${FENLOW_VERSION_HEADER})
file(STRINGS ${FENLOW_VERSION_HEADER} _fenlow_defines REGEX "^#define FENLOW_[A-Z_]+ \"")
foreach(_line IN LISTS _fenlow_defines)
    if(_line MATCHES "^#define (FENLOW_[A-Z_]+) \"([^\"]*)\"")
        set(${CMAKE_MATCH_1} "${CMAKE_MATCH_2}")
    endif()
endforeach()
foreach(_name FENLOW_PRODUCT_VERSION FENLOW_FILE_VERSION FENLOW_PRODUCT_NAME FENLOW_COMPANY FENLOW_WEBSITE
              FENLOW_FILE_DESCRIPTION FENLOW_LEGAL_COPYRIGHT)
    if(NOT DEFINED ${_name})
        message(FATAL_ERROR "${_name} not found in ${FENLOW_VERSION_HEADER}")
    endif()
endforeach()

# "0.1 Beta" -> "0.1-Beta": no spaces in the file names.
string(REGEX REPLACE "[^A-Za-z0-9.]+" "-" FENLOW_RELEASE_TAG "${FENLOW_PRODUCT_VERSION}")
set(FENLOW_RELEASE_DIR ${CMAKE_BINARY_DIR}/release)
set(FENLOW_SETUP_NAME fenlow-${FENLOW_RELEASE_TAG}-setup.exe)
set(FENLOW_PORTABLE_NAME fenlow-${FENLOW_RELEASE_TAG}-portable.zip)
set(FENLOW_MANIFESTS_DIR ${FENLOW_RELEASE_DIR}/manifests)

# Where the published release files can be downloaded from; the package-manager manifests point
# there. Empty: the web site's download/<version>/ folder, so that it follows version.h.
set(FENLOW_DOWNLOAD_URL "" CACHE STRING "URL of the folder holding the release files (empty: <web site>download/<version>)")
if(FENLOW_DOWNLOAD_URL)
    string(REGEX REPLACE "/+$" "" FENLOW_RELEASE_URL "${FENLOW_DOWNLOAD_URL}")
else()
    set(FENLOW_RELEASE_URL "${FENLOW_WEBSITE}download/${FENLOW_RELEASE_TAG}")
endif()

find_program(MAKENSIS_PROGRAM makensis)
find_package(Python3 COMPONENTS Interpreter)
