# Cross build for 64-bit Windows with Debian's mingw-w64:
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
# The -posix compilers: GCC 12's default (win32) thread model has no std::thread
# or std::mutex. Everything is linked statically, so the .exe files need no DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TONVERT_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TONVERT_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TONVERT_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TONVERT_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TONVERT_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
