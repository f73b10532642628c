# Fails when a core file includes anything but the standard library, the object model
# interfaces, the text helpers and other core folders (no Qt, no host implementation, no ui, no
# system headers), or when the object model or a text helper includes anything but the standard
# library; or when the settings or the add-in session include Qt, the windows, a front end or a
# layer above their own.
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
check_folder(ui/win32 "^(model|util|addin|ui/win32)/" "^Q")

foreach(folder analysis templates codegen addin)
    check_folder(${folder} "^(model|util|analysis|templates|codegen|addin)/")
endforeach()
check_folder(model "^model/")
check_folder(util "^util/")
# Outside the core, below both front ends: no Qt ("Q..." headers), no windows, no terminal.
check_folder(host/settings "^(model|util|host/(vb6|files|settings))/" "^Q")
check_folder(host/session
    "^(model|util|analysis|templates|codegen|addin|host/(vb6|ide|files|settings|session))/" "^Q")

if(failures)
    list(JOIN failures "\n" text)
    message(FATAL_ERROR "Files include what their layer must not see:\n${text}")
endif()
message(STATUS "core includes: standard library, object model and text helpers only")
