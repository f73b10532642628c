# Runs `brindle check --format sarif` (BRINDLE) on a small project in WORK with findings of every
# kind, a missing component and a template keyword that does not exist, and validates the log
# against the SARIF 2.1.0 schema, SARIF's own rules and those of GitHub code scanning with the npm
# package @microsoft/sarif-multitool, installed into WORK on the first run. Without npm or the
# network the test is skipped ("SKIPPED:"), unless BRINDLE_REQUIRE_CORPUS is set, as CI sets it:
# there everything a test needs must be there.
cmake_minimum_required(VERSION 3.19)

function(give_up reason)
    if(DEFINED ENV{BRINDLE_REQUIRE_CORPUS} AND NOT "$ENV{BRINDLE_REQUIRE_CORPUS}" STREQUAL "")
        message(FATAL_ERROR "cannot validate the SARIF log: ${reason}")
    endif()
    message("SKIPPED: cannot validate the SARIF log: ${reason}")
endfunction()

# The project.
set(project "${WORK}/Shop")
file(REMOVE_RECURSE "${project}")
set(b "' [Brindle Begin]\r\n")
set(e "' [Brindle End]\r\n")
file(WRITE "${project}/Checks.bas"
    "Attribute VB_Name = \"Checks\"\r\nOption Explicit\r\n"
    "Sub Bare()\r\nEnd Sub\r\n"
    "Function Twice() As Long\r\n${b}    On Error GoTo Handler\r\n${e}"
    "${b}    Exit Sub\r\nHandler:\r\n${e}${b}    Exit Function\r\nHandler:\r\n${e}End Function\r\n"
    "Property Get Name() As String\r\n${b}End Property\r\n")
file(WRITE "${project}/Other Module.bas" "Attribute VB_Name = \"Other\"\r\nSub Main()\r\nEnd Sub\r\n")
file(WRITE "${project}/Shop.vbp"
    "Type=Exe\r\nModule=Checks; Checks.bas\r\nModule=Other; Other Module.bas\r\n"
    "Module=Gone; Gone.bas\r\nName=\"Shop\"\r\n")
file(WRITE "${project}/T/module.txt" "' Module %ModuleName% %NoSuchKeyword%\r\n")
file(WRITE "${project}/brindle.ini" "[Options]\nModule Header Filename=T\\module.txt\n")

execute_process(COMMAND "${BRINDLE}" check Shop.vbp --format sarif
    WORKING_DIRECTORY "${project}" OUTPUT_FILE "${WORK}/check.sarif" ERROR_VARIABLE told
    RESULT_VARIABLE status)
if(NOT status EQUAL 1)
    message(FATAL_ERROR "brindle check exited with ${status}, not 1")
endif()

# The validator.
set(tool "${WORK}/sarif-multitool")
set(validator "${tool}/node_modules/.bin/sarif-multitool")
if(NOT EXISTS "${validator}")
    find_program(NPM npm)
    if(NOT NPM)
        give_up("npm is not installed")
        return()
    endif()
    execute_process(COMMAND "${NPM}" install --no-audit --no-fund --prefix "${tool}"
                            "@microsoft/sarif-multitool@5"
        RESULT_VARIABLE installed OUTPUT_VARIABLE log ERROR_VARIABLE log TIMEOUT 600)
    if(NOT installed EQUAL 0 OR NOT EXISTS "${validator}")
        give_up("npm could not install @microsoft/sarif-multitool (offline?):\n${log}")
        return()
    endif()
endif()
file(GLOB schema "${tool}/node_modules/@microsoft/sarif-multitool-*/sarif-2.1.0.json")
if(NOT schema)
    message(FATAL_ERROR "the SARIF 2.1.0 schema is not where @microsoft/sarif-multitool was")
endif()
list(GET schema 0 schema)

# The errors that the validator finds in `file`, one a line, in `variable`; its warnings are shown.
# It exits with 0 whatever it finds: its own log tells. Its npm wrapper hands the arguments to a
# shell, so the list of rule kinds is quoted for it.
function(validate file variable)
    file(REMOVE "${file}.validation")
    execute_process(COMMAND "${validator}" validate "${file}" --json-schema "${schema}"
                            --rule-kind "\"Sarif;Gh\"" --output "${file}.validation"
        RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output TIMEOUT 300)
    if(NOT status EQUAL 0 OR NOT EXISTS "${file}.validation")
        message(FATAL_ERROR "sarif-multitool failed (${status}):\n${output}")
    endif()
    file(READ "${file}.validation" validation)
    string(JSON count LENGTH "${validation}" runs 0 results)
    set(errors "")
    set(advice "")
    if(count GREATER 0)
        math(EXPR last "${count} - 1")
        foreach(i RANGE ${last})
            string(JSON level ERROR_VARIABLE none GET "${validation}" runs 0 results ${i} level)
            string(JSON rule GET "${validation}" runs 0 results ${i} ruleId)
            string(JSON text GET "${validation}" runs 0 results ${i} message)
            # A schema violation (JSON...) or a rule's error; other rules give advice.
            if(level STREQUAL "error" OR rule MATCHES "^JSON")
                string(APPEND errors "${rule}: ${text}\n")
            else()
                list(APPEND advice "${rule}")
            endif()
        endforeach()
    endif()
    if(advice)
        list(REMOVE_DUPLICATES advice)
        message(STATUS "sarif-multitool's advice, no error: ${advice}")
    endif()
    set(${variable} "${errors}" PARENT_SCOPE)
endfunction()

# The validator finds what is wrong: a line 0 breaks the schema, rules without help GitHub's.
file(READ "${WORK}/check.sarif" log)
function(expect_refused name search replace expected why)
    string(REPLACE "${search}" "${replace}" changed "${log}")
    file(WRITE "${WORK}/${name}.sarif" "${changed}")
    validate("${WORK}/${name}.sarif" errors)
    if(NOT errors MATCHES "${expected}")
        message(FATAL_ERROR "sarif-multitool took ${why}:\n${errors}")
    endif()
endfunction()
expect_refused(broken "\"startLine\": " "\"startLine\": -" "JSON" "a log whose lines are below 1")
expect_refused(helpless "\"help\": " "\"properties\": " "GH" "rules without help for GitHub")

validate("${WORK}/check.sarif" errors)
if(errors)
    message(FATAL_ERROR "the SARIF log of brindle check is not valid:\n${errors}")
endif()
string(JSON results LENGTH "${log}" runs 0 results)
string(JSON notifications LENGTH "${log}" runs 0 invocations 0 toolExecutionNotifications)
if(results LESS 6 OR notifications LESS 1)
    message(FATAL_ERROR "the SARIF log lacks findings or errors:\n${log}")
endif()
message(STATUS "brindle check's SARIF log (${results} results, ${notifications} errors) is valid")
