# Cross toolchain of the main build (tests, sandbox, benchmark): the
# posix-thread variant of mingw-w64, because GoogleTest needs std::mutex,
# which the win32 variant lacks. The shipped DLL is not built with it (see
# mingw-i686-win32.cmake).
set(trebbo_mingw_target i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

set(CMAKE_C_COMPILER   i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
