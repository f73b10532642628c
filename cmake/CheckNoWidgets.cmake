# Fails when the executable BINARY needs Qt's GUI or Widgets libraries, directly or through
# another library: the command line runs where there is no display.
file(GET_RUNTIME_DEPENDENCIES EXECUTABLES "${BINARY}"
     RESOLVED_DEPENDENCIES_VAR resolved UNRESOLVED_DEPENDENCIES_VAR unresolved)
set(found "")
foreach(library ${resolved} ${unresolved})
    get_filename_component(name "${library}" NAME)
    if(name MATCHES "^libQt6(Gui|Widgets)")
        list(APPEND found "${name}")
    endif()
endforeach()
if(found)
    message(FATAL_ERROR "${BINARY} needs ${found}")
endif()
list(LENGTH resolved count)
message(STATUS "${BINARY}: ${count} libraries, none of Qt's GUI")
