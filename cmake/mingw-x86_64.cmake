# The same tests and tools as mingw-i686.cmake, built for x86_64 and run
# under 64-bit Wine: the lane of machines that run no 32-bit code.
set(SCRIVLET_MINGW_ARCH x86_64)
set(SCRIVLET_MINGW_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
