# Cross toolchain of the x86-64 test build, which runs under 64-bit wine
# where the machine runs no 32-bit programs: the posix-thread variant, as in
# mingw-i686.cmake. Nothing it builds ships.
set(trebbo_mingw_target x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

set(CMAKE_C_COMPILER   x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
