# The shipped program: the same cross build with the win32-thread compilers. Their
# runtime imports only what Windows 95 to XP have; the POSIX-thread runtime that the
# tests need (GoogleTest uses std::mutex) pulls in calls of later Windows versions.
set(TESSALY_MINGW_PROCESSOR i686)
set(TESSALY_MINGW_THREADS win32)
include("${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake")
