# Cross-building for 64-bit Windows with Debian's MinGW-w64, the POSIX-threads variant (for
# std::thread and std::mutex):
#   cmake -S . -B build-windows -G Ninja --toolchain cmake/MinGW.cmake
# Tests run under Wine when it is installed.
set(CMAKE_SYSTEM_NAME Windows)
# cmake/MinGW32.cmake sets these for 32-bit Windows first.
if(NOT BRINDLE_MINGW)
    set(CMAKE_SYSTEM_PROCESSOR x86_64)
    set(BRINDLE_MINGW x86_64-w64-mingw32)
endif()
set(CMAKE_C_COMPILER ${BRINDLE_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BRINDLE_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${BRINDLE_MINGW}-windres)

# Headers and libraries come from the cross compiler's own tree, never from the build machine's.
set(CMAKE_FIND_ROOT_PATH /usr/${BRINDLE_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One brindle.exe that runs on a clean Windows: the C++ run time and winpthread linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

find_program(BRINDLE_WINE NAMES wine)
if(BRINDLE_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${BRINDLE_WINE})
    # Debian's wine command starts a 32-bit program, which a kernel without 32-bit support
    # cannot run; Wine's 64-bit loader runs the 64-bit programs by itself.
    execute_process(COMMAND ${BRINDLE_WINE} --version RESULT_VARIABLE wine_failed
                    OUTPUT_QUIET ERROR_QUIET)
    if(wine_failed AND EXISTS /usr/lib/wine/wine64 AND BRINDLE_MINGW STREQUAL x86_64-w64-mingw32)
        set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
    endif()
endif()
