# Cross-compiles for 64-bit Windows with the posix-threads MinGW-w64 toolchain, or for 32-bit
# Windows when mingw-w64-i686.cmake has set the target first.
if(NOT TARNWICK_MINGW_TARGET)
  set(TARNWICK_MINGW_TARGET x86_64-w64-mingw32)
  set(CMAKE_SYSTEM_PROCESSOR x86_64)
endif()
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${TARNWICK_MINGW_TARGET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TARNWICK_MINGW_TARGET}-g++-posix)
set(CMAKE_RC_COMPILER ${TARNWICK_MINGW_TARGET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TARNWICK_MINGW_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Everything static: a bare exe must run under Wine and on Windows with no DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Tests run under Wine through a wrapper that prepares the build's own prefix. wine64 hands a
# 32-bit exe on to Wine's 32-bit side by itself, so both builds use the one wrapper and prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-exec")
