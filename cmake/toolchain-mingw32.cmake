# Cross build for 32-bit Windows with Debian's mingw-w64 (POSIX-thread compilers,
# which GoogleTest needs for std::mutex). Tests run under 32-bit Wine.
set(TESSALY_MINGW_PROCESSOR i686)
set(TESSALY_MINGW_THREADS posix)
include("${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake")
