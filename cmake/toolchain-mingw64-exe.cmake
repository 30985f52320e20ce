# tessaly64.exe, the program for 64-bit Windows, with the win32-thread runtime so that it
# imports only what the first 64-bit Windows versions have.
set(TESSALY_MINGW_PROCESSOR x86_64)
set(TESSALY_MINGW_THREADS win32)
include("${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake")
