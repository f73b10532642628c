# Makes brindle's manual page (with help2man, from `brindle --help-all` and the sections that
# `brindle --generate man-include` gives: template keywords, environment, files, exit status)
# and its completion scripts for bash, zsh and fish (from `brindle --generate`), under OUT in
# the folders they are installed to. Run as: cmake -DBRINDLE=<exe> -DOUT=<dir> [-DHELP2MAN=<exe>] -P GenerateDocs.cmake
set(ENV{COLUMNS} 80)

function(generate kind file)
    get_filename_component(folder "${OUT}/${file}" DIRECTORY)
    file(MAKE_DIRECTORY "${folder}")
    execute_process(COMMAND "${BRINDLE}" --generate ${kind}
        OUTPUT_FILE "${OUT}/${file}" RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "brindle --generate ${kind} failed: ${failed}")
    endif()
endfunction()

generate(complete-bash share/bash-completion/completions/brindle)
generate(complete-zsh share/zsh/site-functions/_brindle)
generate(complete-fish share/fish/vendor_completions.d/brindle.fish)

if(HELP2MAN)
    file(MAKE_DIRECTORY "${OUT}/share/man/man1")
    set(include "${OUT}/brindle.h2m")
    execute_process(COMMAND "${BRINDLE}" --generate man-include
        OUTPUT_FILE "${include}" RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "brindle --generate man-include failed: ${failed}")
    endif()
    execute_process(COMMAND "${HELP2MAN}" --no-info --section=1 --help-option=--help-all
            "--include=${include}"
            "--name=puts standard boilerplate into VB6 source and takes it out again"
            "--output=${OUT}/share/man/man1/brindle.1" "${BRINDLE}"
        RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "help2man failed: ${failed}")
    endif()
endif()
