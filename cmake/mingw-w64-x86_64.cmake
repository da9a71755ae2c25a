# Cross-compiles for 64-bit Windows with Debian's mingw-w64. The posix-threads
# variant is named explicitly: the win32-threads one has no std::thread.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VELMORIA_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VELMORIA_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELMORIA_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VELMORIA_MINGW_PREFIX}-windres)
set(CMAKE_OBJDUMP ${VELMORIA_MINGW_PREFIX}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${VELMORIA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Static, so the programs run alone under Wine (and on Windows) without the
# compiler's runtime DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Tests run under Wine through a wrapper that keeps Wine's services off CTest's pipes.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-exec.sh)
