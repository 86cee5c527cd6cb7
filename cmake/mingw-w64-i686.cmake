# Cross-compiles for 32-bit Windows: the same build as mingw-w64.cmake with the i686 compilers.
set(TARNWICK_MINGW_TARGET i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
