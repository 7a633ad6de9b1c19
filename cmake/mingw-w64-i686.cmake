# Cross build for 32-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-i686).
# The posix thread model gives std::thread and std::mutex on GCC 12; every
# runtime library is linked statically, so the release needs no MinGW DLL.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(QUORL_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${QUORL_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUORL_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${QUORL_MINGW_PREFIX}-windres)
set(CMAKE_DLLTOOL ${QUORL_MINGW_PREFIX}-dlltool)

set(CMAKE_FIND_ROOT_PATH /usr/${QUORL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Float arithmetic in SSE registers, rounded to float at every step as on
# Linux: x87's wider intermediates would move particles and bubbles off the
# values the show is timed with (a bubble exactly at the top edge must not wrap).
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test binaries and tools run under Wine, through a wrapper that keeps Wine quiet.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
