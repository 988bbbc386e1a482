# The same DLL, tools and tests as mingw-i686.cmake, built for x86_64 and run
# under 64-bit Wine: the lane of machines that run no 32-bit code.
set(SCRIVLET_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
