# What both mingw toolchains of this tree share. Each toolchain file names
# its processor in SCRIVLET_MINGW_ARCH (i686 or x86_64) before including this.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${SCRIVLET_MINGW_ARCH})
set(triplet ${SCRIVLET_MINGW_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER ${triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${triplet}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# The Windows programs of each build run under the Wine of their own width,
# in a prefix of their own (tools/win32-run, tools/win64-run).
if(SCRIVLET_MINGW_ARCH STREQUAL "x86_64")
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/win64-run)
else()
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/win32-run)
endif()
