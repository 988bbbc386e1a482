# Cross toolchain for the 32-bit tests and tools. The posix-thread flavour is needed:
# the win32-thread one has no std::mutex, which GoogleTest uses. Scrivlet.dll
# itself is built with mingw-i686-win32-threads.cmake.
set(SCRIVLET_MINGW_ARCH i686)
set(SCRIVLET_MINGW_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
