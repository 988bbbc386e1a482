# Cross toolchain for Scrivlet.dll itself. The win32-thread flavour links no
# threading runtime into the DLL: the posix one brings winpthread, which
# leaks handles and memory every time a host loads and frees the DLL, and the
# DLL starts no thread of its own. The tests and tools keep the posix
# flavour (mingw-i686.cmake), which GoogleTest needs for std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-win32)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
