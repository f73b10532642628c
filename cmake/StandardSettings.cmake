# Our own scripts and CI turn warnings into errors; a user's build only shows them, so that
# another compiler version never stops it.
option(BRINDLE_WERROR "Treat warnings as errors" OFF)

# Warnings and sanitizers as INTERFACE targets that every target of ours links.
add_library(brindle_warnings INTERFACE)
target_compile_options(brindle_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
    -Woverloaded-virtual -Wconversion -Wsign-conversion -Wimplicit-fallthrough
    $<$<BOOL:${BRINDLE_WERROR}>:-Werror>)

add_library(brindle_sanitizers INTERFACE)
if(BRINDLE_SANITIZE)
    # GCC's uninitialized-use analysis gives false alarms on instrumented standard-library code.
    target_compile_options(brindle_sanitizers INTERFACE
        -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all
        -Wno-maybe-uninitialized)
    target_link_options(brindle_sanitizers INTERFACE -fsanitize=address,undefined)
endif()

# brindle_library(NAME FOLDER [DEPS...]): a static library of every .cpp in FOLDER; a subfolder
# with sources is a library of its own.
function(brindle_library name folder)
    file(GLOB sources CONFIGURE_DEPENDS ${folder}/*.cpp)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PRIVATE brindle_warnings PUBLIC brindle_sanitizers ${ARGN})
endfunction()
