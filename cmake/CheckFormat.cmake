# Fails when a C++ file of ours differs from what clang-format makes of it.
file(GLOB_RECURSE files "${ROOT}/src/*.h" "${ROOT}/src/*.cpp" "${ROOT}/apps/*.cpp"
     "${ROOT}/tests/*.h" "${ROOT}/tests/*.cpp" "${ROOT}/bench/*.cpp" "${ROOT}/fuzz/*.h"
     "${ROOT}/fuzz/*.cpp" "${ROOT}/scripts/*.h" "${ROOT}/scripts/*.cpp")
execute_process(COMMAND ${CLANG_FORMAT} --dry-run -Werror ${files}
                RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "Not formatted as .clang-format says; run clang-format -i on:\n${errors}")
endif()
