# Names of the release files, made from the facts the top-level CMakeLists.txt read from version.h.
# Included by installer/ and tests/release/.

# "0.1 Beta" -> "0.1-Beta": no spaces in the file names.
string(REGEX REPLACE "[^A-Za-z0-9.]+" "-" FENLOW_RELEASE_TAG "${FENLOW_PRODUCT_VERSION}")
set(FENLOW_RELEASE_DIR ${CMAKE_BINARY_DIR}/release)
set(FENLOW_SETUP_NAME fenlow-${FENLOW_RELEASE_TAG}-setup.exe)
set(FENLOW_PORTABLE_NAME fenlow-${FENLOW_RELEASE_TAG}-portable.zip)
set(FENLOW_MANIFESTS_DIR ${FENLOW_RELEASE_DIR}/manifests)
# The window class and command id the installer was built with, as makensis saw them.
set(FENLOW_INSTALLER_IDS ${CMAKE_BINARY_DIR}/installer/program-ids.txt)

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
