# Cross toolchain for Scrivlet.dll itself. The win32-thread flavour links no
# threading runtime into the DLL: the posix one brings winpthread, which
# leaks handles and memory every time a host loads and frees the DLL, and the
# DLL starts no thread of its own. The tests and tools keep the posix
# flavour (mingw-i686.cmake), which GoogleTest needs for std::mutex.
set(SCRIVLET_MINGW_ARCH i686)
set(SCRIVLET_MINGW_THREADS win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
