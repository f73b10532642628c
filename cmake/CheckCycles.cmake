# Included by CheckCoreIncludes.cmake: appends to `failures` each component of src (a header and
# its source) that reaches itself through its includes, and each pair of sibling folders that
# include each other both ways. A seam's implementation in a `posix` or `windows` subfolder is a
# component of its own: it stands on the portable code, which sees the seam's header alone.

file(GLOB_RECURSE cycle_sources RELATIVE "${ROOT}/src" "${ROOT}/src/*.h" "${ROOT}/src/*.cpp")

# The component of a file below src: its path without extension.
function(component_of path out)
    string(REGEX REPLACE "\\.(h|cpp)$" "" name "${path}")
    set(${out} "${name}" PARENT_SCOPE)
endfunction()

set(components "")
foreach(path ${cycle_sources})
    component_of("${path}" name)
    list(APPEND components "${name}")
endforeach()
list(REMOVE_DUPLICATES components)

foreach(path ${cycle_sources})
    component_of("${path}" from)
    file(STRINGS "${ROOT}/src/${path}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line ${includes})
        string(REGEX REPLACE ".*include[ \t]*\"([^\"]+)\".*" "\\1" included "${line}")
        component_of("${included}" to)
        if(to STREQUAL from OR NOT to IN_LIST components)
            continue()
        endif()
        list(APPEND "edges_${from}" "${to}")
        # The folders' own edges, for the siblings' rule.
        get_filename_component(from_folder "${from}" DIRECTORY)
        get_filename_component(to_folder "${to}" DIRECTORY)
        if(NOT from_folder STREQUAL to_folder)
            list(APPEND folder_edges "${from_folder}>${to_folder}")
        endif()
    endforeach()
endforeach()

# A component is in a cycle when it reaches itself.
foreach(start ${components})
    set(seen "")
    set(queue ${edges_${start}})
    set(cycle FALSE)
    while(queue)
        list(POP_FRONT queue next)
        if(next STREQUAL start)
            set(cycle TRUE)
            break()
        endif()
        if(NOT next IN_LIST seen)
            list(APPEND seen "${next}")
            list(APPEND queue ${edges_${next}})
        endif()
    endwhile()
    if(cycle)
        list(APPEND failures "src/${start}: reaches itself through its includes")
    endif()
endforeach()

# Two folders of one parent may not include each other both ways.
if(folder_edges)
    list(REMOVE_DUPLICATES folder_edges)
endif()
foreach(edge ${folder_edges})
    string(REPLACE ">" ";" ends "${edge}")
    list(GET ends 0 from_folder)
    list(GET ends 1 to_folder)
    get_filename_component(from_parent "${from_folder}" DIRECTORY)
    get_filename_component(to_parent "${to_folder}" DIRECTORY)
    if(from_parent STREQUAL to_parent AND from_folder STRLESS to_folder AND
       "${to_folder}>${from_folder}" IN_LIST folder_edges)
        list(APPEND failures "src/${from_folder} and src/${to_folder} include each other")
    endif()
endforeach()
