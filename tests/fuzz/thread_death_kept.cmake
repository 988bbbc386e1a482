# Runs the settings fuzzer on a fresh corpus of one file (SEED_FILE, copied
# into WORK) and four generated files, the first of whose repaints the
# stand-in makes fail as the platform does, and checks where that file went:
# into WORK/FOLDER/ (thread-deaths: the stand-in ended its thread;
# gdiplus-hangs: its repaint never came back, in the 64-bit build), named in
# the line that says why, and nowhere in the corpus that replays run.
#   cmake -DEMULATOR=wine-run -DPROGRAM=settings_fuzz.exe -DSEED_FILE=a.ini
#         -DWORK=dir -DFOLDER=thread-deaths [-DTHREAD_ENDED=regex] -P this file
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(COPY ${SEED_FILE} DESTINATION ${WORK})
get_filename_component(seed_name ${SEED_FILE} NAME)

set(ARGS --corpus ${WORK} --seed 1 --count 4)
set(EXIT 0)
set(ERR ^$)
# The first match is the file met, the second the file kept.
if(FOLDER STREQUAL "thread-deaths")
    set(OUT "\nsettings_fuzz: [^\n]*\\\\(found-[0-9a-f]+\\.ini), repaint of \"42\" at 1x1: ${THREAD_ENDED}; kept as [^\n]*\\\\thread-deaths\\\\(found-[0-9a-f]+\\.ini)\nsettings_fuzz: 5 files, 48 repaints, [^\n]* 1 with the thread ended inside GDI\\+,[^\n]*\nsettings_fuzz: passed \\(0 failed\\)\n$")
else()
    set(OUT "\nsettings_fuzz: [^\n]*\\\\(found-[0-9a-f]+\\.ini): repaint of it went on over 10000 ms inside Wine's 64-bit GDI\\+, never in Scrivlet\\.dll's code \\(the platform's fault\\); kept as [^\n]*\\\\gdiplus-hangs\\\\(found-[0-9a-f]+\\.ini); the run stops here, as nothing more can run in this process\n$")
endif()
include(${CMAKE_CURRENT_LIST_DIR}/../expect_exit.cmake)
string(REGEX MATCH "${OUT}" named "${out}")
set(named ${CMAKE_MATCH_2})
if(NOT CMAKE_MATCH_1 STREQUAL named)
    message(FATAL_ERROR "${CMAKE_MATCH_1} ended, ${named} kept\n${out}")
endif()

file(GLOB kept RELATIVE ${WORK}/${FOLDER} ${WORK}/${FOLDER}/*)
file(GLOB replayed RELATIVE ${WORK} ${WORK}/*)
list(REMOVE_ITEM replayed ${FOLDER})
if(NOT kept STREQUAL named OR NOT replayed STREQUAL seed_name)
    message(FATAL_ERROR "kept in ${FOLDER}/: '${kept}', not '${named}' alone; "
                        "in the corpus: '${replayed}', not '${seed_name}' alone\n${out}")
endif()
