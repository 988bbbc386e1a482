# Runs one Windows program under the emulator and checks how it ends: its
# exit code, and that its standard error matches a pattern (and standard
# output, when a pattern is given for it). For refusals that happen before a
# program does anything, where a test program of its own would only restate
# the command line, and for how a run of the settings fuzzer ends.
#   cmake -DEMULATOR=wine-run -DPROGRAM=x.exe "-DARGS=a;b" -DEXIT=2
#         -DERR=regex [-DOUT=regex] [-DNO_DISPLAY=ON] -P this file
# NO_DISPLAY runs it without an X display: Wine reads DISPLAY when a process
# starts, so only a Unix parent can take it away.
# A hang only: every case ends within a second or two.
set(time_limit_s 120)
set(environment)
if(NO_DISPLAY)
    set(environment ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY)
endif()
execute_process(
    COMMAND ${environment} ${EMULATOR} ${PROGRAM} ${ARGS}
    RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err
    TIMEOUT ${time_limit_s})
string(REPLACE "\r" "" err "${err}")
string(REPLACE "\r" "" out "${out}")
set(problems "")
if(NOT code STREQUAL "${EXIT}")
    string(APPEND problems "exit code '${code}', not ${EXIT}\n")
endif()
if(NOT err MATCHES "${ERR}")
    string(APPEND problems "standard error does not match '${ERR}': '${err}'\n")
endif()
if(DEFINED OUT AND NOT out MATCHES "${OUT}")
    string(APPEND problems "standard output does not match '${OUT}': '${out}'\n")
endif()
if(problems)
    message(FATAL_ERROR "${PROGRAM} ${ARGS}:\n${problems}")
endif()
