# cmake -DFILE=program.exe -P sign.cmake
# Signs FILE in place with the release's code-signing certificate: Authenticode, SHA-256, and an
# RFC 3161 timestamp when a server is set, so the signature outlives the certificate. Written into
# the build folder from installer/Sign.cmake.in; the password stays in its file, which
# osslsigncode reads itself, and never appears on a command line.
# Values are in brackets: a Windows path's backslashes are no escapes.
set(args sign -pkcs12 [==[/tmp/fenlow-sign.zRncNs/sign.pfx]==] -h sha256 -n [==[Fenlow]==] -i [==[https://www.tavrin.net/fenlow/]==])
if(NOT [==[/tmp/fenlow-sign.zRncNs/password]==] STREQUAL "")
    list(APPEND args -readpass [==[/tmp/fenlow-sign.zRncNs/password]==])
endif()
if(NOT [==[]==] STREQUAL "")
    list(APPEND args -ts [==[]==])
endif()

# Into a new file first: a failed signing leaves FILE as it was, and the build stops.
file(REMOVE "${FILE}.signed")
execute_process(COMMAND [==[/usr/bin/osslsigncode]==] ${args} -in "${FILE}" -out "${FILE}.signed"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0 OR NOT EXISTS "${FILE}.signed")
    file(REMOVE "${FILE}.signed")
    message(FATAL_ERROR "Signing ${FILE} failed:\n${out}")
endif()
file(RENAME "${FILE}.signed" "${FILE}")
get_filename_component(name "${FILE}" NAME)
message("Signed ${name}")
