# Fails when a program that is under the MIT license alone links a library under the GPL. Reads
# the link statement of each output in NINJA (build.ninja): FREE lists those that must link none
# (brindle, brindle.exe, VBBrindle.dll), GPL those that link QScintilla and so are distributed
# under GPL-3 terms (the workbench), so that the check is seen to find what it looks for. On the
# build's own platform RUNTIME lists binaries whose shared libraries are looked at as well.
# Run as: cmake -DNINJA=<file> -DFREE=<a;b> [-DGPL=<c>] [-DRUNTIME=<exe;...>] -P CheckLicenses.cmake

cmake_minimum_required(VERSION 3.24)

# Libraries under the GPL that a build on Debian or MinGW could pull in.
set(gpl_pattern "qscintilla|libreadline|libgpl")

file(STRINGS "${NINJA}" lines)
# The link statement of `output`: its build line and the variables indented below it, in
# lower case.
function(link_statement output result)
    set(statement "")
    set(inside FALSE)
    foreach(line IN LISTS lines)
        if(inside AND line MATCHES "^  ")
            string(APPEND statement "${line}\n")
        elseif(line MATCHES "^build ([^:]*): ")
            # A DLL's import library is an output of the same statement.
            string(REPLACE " " ";" outputs "${CMAKE_MATCH_1}")
            set(inside FALSE)
            if("${output}" IN_LIST outputs AND line MATCHES "_LINKER_")
                set(inside TRUE)
                string(APPEND statement "${line}\n")
            endif()
        else()
            set(inside FALSE)
        endif()
    endforeach()
    string(TOLOWER "${statement}" statement)
    set(${result} "${statement}" PARENT_SCOPE)
endfunction()

set(failures "")
foreach(output IN LISTS FREE GPL)
    link_statement("${output}" statement)
    if(statement STREQUAL "")
        list(APPEND failures "${output}: no link statement in ${NINJA}")
        continue()
    endif()
    string(REGEX MATCH "[^ ]*(${gpl_pattern})[^ \n]*" found "${statement}")
    if(output IN_LIST FREE AND found)
        list(APPEND failures "${output} links ${found}, which is under the GPL")
    elseif(output IN_LIST GPL AND NOT found)
        list(APPEND failures "${output} no longer links QScintilla: the README's license note is out of date")
    else()
        message(STATUS "${output}: ${found}")
    endif()
endforeach()

foreach(binary IN LISTS RUNTIME)
    file(GET_RUNTIME_DEPENDENCIES EXECUTABLES "${binary}"
         RESOLVED_DEPENDENCIES_VAR resolved UNRESOLVED_DEPENDENCIES_VAR unresolved)
    foreach(library ${resolved} ${unresolved})
        get_filename_component(name "${library}" NAME)
        string(TOLOWER "${name}" lower)
        if(lower MATCHES "${gpl_pattern}")
            list(APPEND failures "${binary} needs ${name}, which is under the GPL")
        endif()
    endforeach()
endforeach()

if(failures)
    list(JOIN failures "\n" text)
    message(FATAL_ERROR "${text}")
endif()
