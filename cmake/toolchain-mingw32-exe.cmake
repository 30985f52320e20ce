# The shipped program: the same cross build with the win32-thread compilers. Their
# runtime imports only what Windows 95 to XP have; the POSIX-thread runtime that the
# tests need (GoogleTest uses std::mutex) pulls in calls of later Windows versions.
include("${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw32.cmake")
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-win32)
