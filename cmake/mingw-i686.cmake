# Cross toolchain of the 32-bit build: Scrivlet.dll as it ships, the host and
# the tests run under 32-bit Wine. Everything compiles with the posix-thread
# flavour, which GoogleTest and the tests' threads need (the win32-thread one
# has no std::mutex); the DLL alone is linked by the win32-thread driver
# (src/plugin/CMakeLists.txt).
set(SCRIVLET_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
