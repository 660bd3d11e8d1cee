# Second compiler: Debian's clang and lld for 32-bit Windows, against the same MinGW-w64 headers,
# libstdc++ and libraries as the GCC toolchain. A check only; GCC builds the release.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(FENLOW_MINGW_TRIPLE i686-w64-mingw32)
set(FENLOW_MINGW_ROOT /usr/${FENLOW_MINGW_TRIPLE})

set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${FENLOW_MINGW_TRIPLE})
set(CMAKE_CXX_COMPILER_TARGET ${FENLOW_MINGW_TRIPLE})
set(CMAKE_RC_COMPILER ${FENLOW_MINGW_TRIPLE}-windres)

# Debian names the GCC folder "12-posix", which clang's MinGW driver does not recognise as a
# version: name libstdc++ and the GCC runtime ourselves (the posix flavour, which GoogleTest needs).
file(GLOB FENLOW_MINGW_GCC_DIRS LIST_DIRECTORIES true /usr/lib/gcc/${FENLOW_MINGW_TRIPLE}/*-posix)
list(SORT FENLOW_MINGW_GCC_DIRS COMPARE NATURAL ORDER DESCENDING)
list(GET FENLOW_MINGW_GCC_DIRS 0 FENLOW_MINGW_GCC)
set(FENLOW_CXX_INCLUDES
    "-isystem ${FENLOW_MINGW_GCC}/include/c++ -isystem ${FENLOW_MINGW_GCC}/include/c++/${FENLOW_MINGW_TRIPLE} -isystem ${FENLOW_MINGW_GCC}/include/c++/backward")
# No host headers: only clang's own, then MinGW's.
set(CMAKE_C_FLAGS_INIT "-nostdlibinc -isystem ${FENLOW_MINGW_ROOT}/include")
set(CMAKE_CXX_FLAGS_INIT "-nostdlibinc ${FENLOW_CXX_INCLUDES} -isystem ${FENLOW_MINGW_ROOT}/include")
# The compile-only flags above reach the link too, hence the quiet unused-argument warning. The
# posix libstdc++ needs winpthreads, which the GCC driver adds by itself; lld takes archives in
# any order, so it can come first.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld -L${FENLOW_MINGW_GCC} -Wno-unused-command-line-argument -lpthread")

set(CMAKE_FIND_ROOT_PATH ${FENLOW_MINGW_ROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
