# cmake -DSOURCE_DIR=dir -DOUT=file -P SourceDate.cmake
# Writes the time the release files carry, in seconds since 1970: SOURCE_DATE_EPOCH when set,
# else the time of the last commit, so that two builds of one commit give the same bytes. Empty
# when neither is known (a copy of the sources without git): the zip then keeps the files' own
# times. OUT is written only when it changes, so an unchanged date rebuilds nothing.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(epoch "$ENV{SOURCE_DATE_EPOCH}")
    if(NOT epoch MATCHES "^[0-9]+$")
        message(FATAL_ERROR "SOURCE_DATE_EPOCH is not a number of seconds: \"${epoch}\"")
    endif()
else()
    set(epoch "")
    find_program(GIT_PROGRAM git)
    if(GIT_PROGRAM)
        execute_process(COMMAND "${GIT_PROGRAM}" -C "${SOURCE_DIR}" log -1 --format=%ct
                        RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
        if(rc EQUAL 0 AND out MATCHES "^[0-9]+$")
            set(epoch "${out}")
        endif()
    endif()
    if(epoch STREQUAL "")
        message("Release dates: no SOURCE_DATE_EPOCH and no git history; the zip keeps the files' times and is not reproducible")
    endif()
endif()

if(EXISTS "${OUT}")
    file(READ "${OUT}" old)
    if(old STREQUAL epoch)
        return()
    endif()
endif()
file(WRITE "${OUT}" "${epoch}")
