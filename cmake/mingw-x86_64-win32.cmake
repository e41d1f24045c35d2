# Cross toolchain of the x86-64 test build's plug-in: the win32-thread
# variant, as the shipped DLL's (mingw-i686-win32.cmake), so that the plug-in
# under test takes from the process what the shipped one takes.
set(trebbo_mingw_target x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

set(CMAKE_C_COMPILER   x86_64-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-win32)
