# Cross-building for 32-bit Windows with Debian's MinGW-w64 (i686, the POSIX-threads variant):
# the 32-bit VBBrindle.dll that the VB6 IDE and 32-bit Office load, and its tests.
#   cmake -S . -B build-windows32 -G Ninja --toolchain cmake/MinGW32.cmake
# Tests run under Wine when it is installed with its 32-bit part (wine32).
set(BRINDLE_MINGW i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/MinGW.cmake)
