# Our own scripts and CI turn warnings into errors; a user's build only shows them, so that
# another compiler version never stops it.
option(BRINDLE_WERROR "Treat warnings as errors" OFF)
# A build from nothing (an install, a CI recipe) is several times faster with each room one
# source; scripts/test.sh turns it off, so that a small change rebuilds a small part.
option(BRINDLE_UNITY "Compile each room of our libraries as one source" ON)

# Warnings and sanitizers as INTERFACE targets that every target of ours links.
add_library(brindle_warnings INTERFACE)
target_compile_options(brindle_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
    -Woverloaded-virtual -Wconversion -Wsign-conversion -Wimplicit-fallthrough
    $<$<BOOL:${BRINDLE_WERROR}>:-Werror>
    # At -O3 GCC 12 takes some inlined string copies of the standard library for overlapping
    # ones, a known fault of that version: shown, but no error. Set in every build alike, so
    # that a build without -Werror compiles the same commands.
    $<$<AND:$<CXX_COMPILER_ID:GNU>,$<VERSION_LESS:$<CXX_COMPILER_VERSION>,13>>:-Wno-error=restrict>)

add_library(brindle_sanitizers INTERFACE)
if(BRINDLE_SANITIZE)
    # GCC's uninitialized-use analysis gives false alarms on instrumented standard-library code.
    target_compile_options(brindle_sanitizers INTERFACE
        -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all
        $<$<CXX_COMPILER_ID:GNU>:-Wno-maybe-uninitialized>
        # A report needs files and lines, not a debugger's types: a third less to compile. -O1
        # runs instrumented code at a fair speed, as the sanitizers' documentation advises, and
        # compiles faster than -O2.
        $<$<CXX_COMPILER_ID:Clang>:-gline-tables-only> $<$<CXX_COMPILER_ID:GNU>:-g1> -O1)
    target_link_options(brindle_sanitizers INTERFACE -fsanitize=address,undefined)
endif()

# With clang the sanitizer build is the fuzzers' build too: every library carries libFuzzer's
# coverage, so the fuzz/ targets link the same objects and nothing is compiled twice.
set(BRINDLE_FUZZ OFF)
if(BRINDLE_SANITIZE AND CMAKE_CXX_COMPILER_ID STREQUAL "Clang" AND NOT CMAKE_CROSSCOMPILING)
    set(BRINDLE_FUZZ ON)
    target_compile_options(brindle_sanitizers INTERFACE -fsanitize=fuzzer-no-link)
endif()

# brindle_library(NAME FOLDER [DEPS...] [ROOMS ROOM...]): a static library of every .cpp in
# FOLDER, in each of its ROOMS (subfolders that belong to it) and in the subfolder of this
# platform (posix or windows) of each; any other subfolder with sources is a library of its own.
function(brindle_library name folder)
    cmake_parse_arguments(PARSE_ARGV 2 arg "" "" ROOMS)
    set(sources "")
    foreach(room IN ITEMS main LISTS arg_ROOMS)
        set(path ${folder}/${room})
        if(room STREQUAL "main")
            set(path ${folder})
        endif()
        file(GLOB room_sources CONFIGURE_DEPENDS ${path}/*.cpp ${path}/${BRINDLE_PLATFORM}/*.cpp)
        # A room's sources in one batch: they share most of their headers, which are then read
        # and their templates instantiated once; the rooms of a library compile side by side.
        set_source_files_properties(${room_sources} PROPERTIES UNITY_GROUP ${room})
        list(APPEND sources ${room_sources})
    endforeach()
    add_library(${name} STATIC ${sources})
    set_target_properties(${name} PROPERTIES UNITY_BUILD ${BRINDLE_UNITY} UNITY_BUILD_MODE GROUP)
    if(BRINDLE_UNITY)
        # A class of a source's own with a member of that source's unnamed namespace is sound
        # in a batch too; GCC warns of it only when the source is not the file compiled.
        target_compile_options(${name} PRIVATE $<$<CXX_COMPILER_ID:GNU>:-Wno-subobject-linkage>)
    endif()
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PRIVATE brindle_warnings PUBLIC brindle_sanitizers
                          ${arg_UNPARSED_ARGUMENTS})
endfunction()

# brindle_host_headers(TARGET FOLDER): a header-only library of the build machine's
# /usr/include/FOLDER for a cross build, without the rest of /usr/include: its folder alone is
# linked into an include folder of the build.
function(brindle_host_headers target folder)
    set(staged ${CMAKE_BINARY_DIR}/host-headers/${folder})
    if(NOT EXISTS /usr/include/${folder})
        message(FATAL_ERROR "/usr/include/${folder} is missing: scripts/install-deps.sh installs it")
    endif()
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/host-headers)
    file(CREATE_LINK /usr/include/${folder} ${staged} SYMBOLIC)
    add_library(${target} INTERFACE IMPORTED)
    target_include_directories(${target} SYSTEM INTERFACE ${CMAKE_BINARY_DIR}/host-headers)
endfunction()
