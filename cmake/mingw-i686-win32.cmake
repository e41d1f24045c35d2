# Cross toolchain of the shipped DLL: the win32-thread variant of mingw-w64.
# Its runtime uses the system's own threads and TLS directly; the posix
# variant would link a thread emulation library into the editor's process,
# which takes a TLS index at each load of the plug-in that the unload does not
# give back.
set(trebbo_mingw_target i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

set(CMAKE_C_COMPILER   i686-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-win32)
