# Scrivlet.dll for x86_64, with no threading runtime, as for i686
# (mingw-i686-win32-threads.cmake).
set(SCRIVLET_MINGW_ARCH x86_64)
set(SCRIVLET_MINGW_THREADS win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
