# scrivlet-host watch with no X display to open its window on: one line on
# standard error, nothing on standard output, and the exit code of a window
# that could not be shown (exit_code::no_dialog of tools/host/failure.h).
# The display is a Unix variable that Wine reads when a process starts, so
# the test sets it here, outside any Windows program.
#   cmake -DEMULATOR=wine-run -DHOST=scrivlet-host.exe -DINI=Z:/.../plain.ini -P this
set(no_window_exit_code 7)
# A hang only: the host gives up within a second or two.
set(time_limit_s 120)

execute_process(
    COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY
            ${EMULATOR} ${HOST} watch --ini ${INI} --section Plain
    RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err
    TIMEOUT ${time_limit_s})
string(REPLACE "\r" "" err "${err}")

set(problems "")
if(NOT code STREQUAL "${no_window_exit_code}")
    string(APPEND problems "exit code '${code}', not ${no_window_exit_code}\n")
endif()
if(NOT err MATCHES "^scrivlet-host: cannot open a window \\(Windows error [0-9]+\\): is there a display\\?\n$")
    string(APPEND problems "standard error is not the one line: '${err}'\n")
endif()
if(NOT out STREQUAL "")
    string(APPEND problems "standard output is not empty: '${out}'\n")
endif()
if(problems)
    message(FATAL_ERROR "${problems}")
endif()
