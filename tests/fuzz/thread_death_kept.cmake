# Runs the settings fuzzer on a fresh corpus of one file (SEED_FILE, copied
# into WORK) and four generated files, the first of whose threads the
# stand-in ends, and checks where that file went: into WORK/thread-deaths/,
# named in the line that says why, and nowhere in the corpus that replays
# run.
#   cmake -DEMULATOR=wine-run -DPROGRAM=settings_fuzz.exe -DSEED_FILE=a.ini
#         -DWORK=dir -DTHREAD_ENDED=regex -P this file
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(COPY ${SEED_FILE} DESTINATION ${WORK})
get_filename_component(seed_name ${SEED_FILE} NAME)

set(ARGS --corpus ${WORK} --seed 1 --count 4)
set(EXIT 0)
set(ERR ^$)
set(OUT "\nsettings_fuzz: [^\n]*\\\\(found-[0-9a-f]+\\.ini), repaint of \"42\" at 1x1: ${THREAD_ENDED}; kept as [^\n]*\\\\thread-deaths\\\\(found-[0-9a-f]+\\.ini)\nsettings_fuzz: 5 files, 48 repaints, [^\n]* 1 with the thread ended inside GDI\\+,[^\n]*\nsettings_fuzz: passed \\(0 failed\\)\n$")
include(${CMAKE_CURRENT_LIST_DIR}/../expect_exit.cmake)
string(REGEX MATCH "${OUT}" named "${out}")
set(named ${CMAKE_MATCH_2})
if(NOT CMAKE_MATCH_1 STREQUAL named)
    message(FATAL_ERROR "${CMAKE_MATCH_1} ended, ${named} kept\n${out}")
endif()

file(GLOB kept RELATIVE ${WORK}/thread-deaths ${WORK}/thread-deaths/*)
file(GLOB replayed RELATIVE ${WORK} ${WORK}/*)
list(REMOVE_ITEM replayed thread-deaths)
if(NOT kept STREQUAL named OR NOT replayed STREQUAL seed_name)
    message(FATAL_ERROR "kept in thread-deaths/: '${kept}', not '${named}' alone; "
                        "in the corpus: '${replayed}', not '${seed_name}' alone\n${out}")
endif()
