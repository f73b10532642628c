# Fails when a core file includes anything but the standard library, the object model
# interfaces, the text helpers and other core folders (no Qt, no host implementation, no ui, no
# system headers), or when the object model or a text helper includes anything but the standard
# library.
set(failures "")

# The includes of the files in src/FOLDER that name neither a standard header nor, quoted, a
# path matching ALLOWED.
function(check_folder folder allowed)
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
                if(header MATCHES "[/.]" OR header MATCHES "^[A-Z]")
                    list(APPEND failures "${file}: ${line}")
                endif()
            endif()
        endforeach()
    endforeach()
    set(failures "${failures}" PARENT_SCOPE)
endfunction()

foreach(folder analysis templates codegen addin)
    check_folder(${folder} "^(model|util|analysis|templates|codegen|addin)/")
endforeach()
check_folder(model "^model/")
check_folder(util "^util/")

if(failures)
    list(JOIN failures "\n" text)
    message(FATAL_ERROR "Core files include what the core must not see:\n${text}")
endif()
message(STATUS "core includes: standard library, object model and text helpers only")
