# How the installer finds the running program and ends it, read from the program's own headers:
# the main window's class (DornApp.h) and the tray menu's Exit command (resource.h).
# Sets FENLOW_MAIN_CLASS, FENLOW_IDM_TRAY_EXIT and FENLOW_PROGRAM_ID_HEADERS.
set(FENLOW_PROGRAM_ID_HEADERS ${CMAKE_SOURCE_DIR}/dorn32/DornApp.h ${FENLOW_RESOURCES_DIR}/resource.h)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${FENLOW_PROGRAM_ID_HEADERS})

# The value of "#define NAME value" in HEADER, matched by PATTERN (one group), however the line is
# spaced and whatever comment ends it, as the compiler would read it.
function(fenlow_read_define header name pattern out)
    set(space "[ \t]")
    file(STRINGS ${header} lines REGEX "^${space}*#${space}*define${space}+${name}(${space}|/|$)")
    list(LENGTH lines count)
    if(NOT count EQUAL 1 OR NOT lines MATCHES
       "^${space}*#${space}*define${space}+${name}${space}+${pattern}${space}*(//.*|/\\*.*\\*/${space}*)?$")
        message(FATAL_ERROR "${name} not found once in ${header} as #define ${name} ${pattern}")
    endif()
    set(${out} "${CMAKE_MATCH_1}" PARENT_SCOPE)
endfunction()

fenlow_read_define(${CMAKE_SOURCE_DIR}/dorn32/DornApp.h DORN_DEFAULT_CLASS_NAME "\"([A-Za-z0-9_]+)\"" FENLOW_MAIN_CLASS)
fenlow_read_define(${FENLOW_RESOURCES_DIR}/resource.h IDM_TRAY_EXIT "([0-9]+)" FENLOW_IDM_TRAY_EXIT)
