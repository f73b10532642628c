# Fails when a core file includes anything but the standard library, the object model
# interfaces, the text helpers and other core folders (no Qt, no host implementation, no ui, no
# system headers), or when the object model or a text helper includes anything but the standard
# library; or when a floor of the host includes one above it; or when the settings, the add-in
# session or the object model over automation include Qt, the windows or a front end; or when a
# front end includes the other's rooms; or when a file in src includes the tests' automation
# double of the IDE; or when a fuzzer's property includes Qt or a window toolkit's rooms; or when
# a front end names a caption of the add-in's buttons or includes Buttons.h; or when a component
# reaches itself through its includes, or two sibling folders include each other
# (CheckCycles.cmake).
cmake_minimum_required(VERSION 3.20)
set(failures "")

# The includes of the files in src/FOLDER that name neither a standard header nor, quoted, a
# path matching ALLOWED. With FORBIDDEN, any bracketed header passes that does not match it.
function(check_folder folder allowed)
    set(forbidden "${ARGV2}")
    file(GLOB_RECURSE files "${ROOT}/src/${folder}/*.h" "${ROOT}/src/${folder}/*.cpp")
    foreach(file ${files})
        file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include")
        foreach(line ${includes})
            if(line MATCHES "#[ \t]*include[ \t]*\"([^\"]+)\"")
                if(NOT CMAKE_MATCH_1 MATCHES "${allowed}")
                    list(APPEND failures "${file}: ${line}")
                endif()
            elseif(line MATCHES "#[ \t]*include[ \t]*<([^>]+)>")
                # Standard headers have no folder, no extension and no capital first letter.
                # The name is kept first: each MATCHES sets CMAKE_MATCH_1 anew.
                set(header "${CMAKE_MATCH_1}")
                if(forbidden)
                    if(header MATCHES "${forbidden}")
                        list(APPEND failures "${file}: ${line}")
                    endif()
                elseif(header MATCHES "[/.]" OR header MATCHES "^[A-Z]")
                    list(APPEND failures "${file}: ${line}")
                endif()
            endif()
        endforeach()
    endforeach()
    set(failures "${failures}" PARENT_SCOPE)
endfunction()

# The Win32 windows: the add-in's window interfaces and the system's headers, no Qt, no host.
check_folder(ui/win32 "^(model/|util/|addin/|ui/win32/|ui/[^/]+$)" "^Q")

foreach(folder analysis templates codegen addin)
    check_folder(${folder} "^(model|util|analysis|templates|codegen|addin)/")
endforeach()
check_folder(model "^model/")
check_folder(util "^util/")
# The host's floors include only those below them; the system's headers they may.
set(system "^$")
check_folder(host/vb6 "^(model|util|host/vb6)/" ${system})
check_folder(host/ide "^(model|util|host/(vb6|ide))/" ${system})
check_folder(host/files "^(model|util|host/(vb6|ide|office|files))/" ${system})
check_folder(host/office "^(model|util|host/(vb6|office))/" ${system})
# The windows stand on the add-in; neither front end sees the other's rooms.
set(core "model/|util/|analysis/|templates/|codegen/|addin/")
set(host "host/(vb6|ide|files|settings|session)/")
check_folder(ui "^(${core}|ui/)" ${system})
check_folder(cli "^(${core}|${host}|ui/[^/]+$|cli/|lsp/)" "^Q")
# The language server: the add-in session and what stands below it, the headless windows.
check_folder(lsp "^(${core}|${host}|ui/[^/]+$|lsp/)" "^Q")
check_folder(workbench "^(${core}|${host}|ui/|workbench/)" ${system})
# Outside the core, below both front ends: no Qt ("Q..." headers), no windows, no terminal.
check_folder(host/settings "^(model|util|host/(vb6|files|settings))/" "^Q")
check_folder(host/session
    "^(model|util|analysis|templates|codegen|addin|host/(vb6|ide|files|settings|session))/" "^Q")
# The object model over automation: the model, the text helpers and the VB6 text, Win32 and
# COM headers, no Qt.
check_folder(host/com "^(model|util|host/(vb6|com))/" "^Q")

# The IDE's automation double (tests/host/com/double) is the tests' alone: nothing in src sees it.
file(GLOB_RECURSE sources "${ROOT}/src/*.h" "${ROOT}/src/*.cpp")
foreach(file ${sources})
    file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"host/com/double/")
    foreach(line ${includes})
        list(APPEND failures "${file}: ${line}")
    endforeach()
endforeach()

# The DLL: the host below it and the windows, never Qt; nothing includes it.
check_folder(dll "^(model|util|addin|host/(vb6|files|settings|session|com)|ui|dll)/" "^Q")
file(GLOB_RECURSE everything "${ROOT}/src/*.h" "${ROOT}/src/*.cpp")
foreach(file ${everything})
    if(NOT file MATCHES "/src/dll/")
        file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"dll/")
        if(includes)
            list(APPEND failures "${file}: ${includes}")
        endif()
    endif()
endforeach()

# The fuzzers' properties: the core, the host and the command line's parsers, like the tests;
# no Qt and no windows but the headless ones.
file(GLOB_RECURSE fuzz_sources "${ROOT}/fuzz/*.h" "${ROOT}/fuzz/*.cpp")
foreach(file ${fuzz_sources})
    file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include")
    foreach(line ${includes})
        if(line MATCHES "#[ \t]*include[ \t]*[<\"](Q|ui/qt/|ui/win32/|workbench/|dll/)")
            list(APPEND failures "${file}: ${line}")
        endif()
    endforeach()
endforeach()

# No front end (the DLL's included) names a button: each runs the add-in's commands by their ids in the table of
# commands, whose captions only the add-in's buttons carry. The captions are read out of the
# table's rows ({CommandId::X, "name", "caption", ...}).
file(READ "${ROOT}/src/addin/Commands.h" table)
string(REGEX MATCHALL "{CommandId::[A-Za-z]+,[ \t\r\n]*\"[^\"]*\",[ \t\r\n]*\"[^\"]*\"" rows
    "${table}")
string(REGEX MATCHALL "{CommandId::" row_starts "${table}")
list(LENGTH rows found)
list(LENGTH row_starts expected)
if(found EQUAL 0 OR NOT found EQUAL expected)
    list(APPEND failures "src/addin/Commands.h: ${found} of ${expected} captions read")
endif()
set(captions "")
foreach(row ${rows})
    string(REGEX REPLACE ".*\"([^\"]*)\"$" "\\1" caption "${row}")
    list(APPEND captions "${caption}")
endforeach()
file(GLOB_RECURSE front_ends "${ROOT}/src/cli/*" "${ROOT}/src/lsp/*" "${ROOT}/src/workbench/*"
    "${ROOT}/src/dll/*" "${ROOT}/apps/*")
foreach(file ${front_ends})
    file(READ "${file}" text)
    if(text MATCHES "#[ \t]*include[ \t]*\"addin/Buttons.h\"")
        list(APPEND failures "${file}: includes addin/Buttons.h")
    endif()
    foreach(caption ${captions})
        string(FIND "${text}" "\"${caption}\"" at)
        if(NOT at EQUAL -1)
            list(APPEND failures "${file}: names the caption \"${caption}\"")
        endif()
    endforeach()
endforeach()

include("${CMAKE_CURRENT_LIST_DIR}/CheckCycles.cmake")

if(failures)
    list(JOIN failures "\n" text)
    message(FATAL_ERROR "Files include what their layer must not see:\n${text}")
endif()
message(STATUS "core includes: standard library, object model and text helpers only")
