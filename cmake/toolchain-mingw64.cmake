# Cross build for 64-bit Windows (POSIX-thread compilers, as the 32-bit test build).
# Tests run under 64-bit Wine, which needs no 32-bit Linux programs.
set(TESSALY_MINGW_PROCESSOR x86_64)
set(TESSALY_MINGW_THREADS posix)
include("${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake")
