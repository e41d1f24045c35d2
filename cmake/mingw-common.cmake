# What every cross toolchain shares: Windows, mingw-w64's headers and
# libraries for the toolchain's target, and wine to run what they build.
# The including file sets trebbo_mingw_target (i686-w64-mingw32 or
# x86_64-w64-mingw32) and CMAKE_SYSTEM_PROCESSOR.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_RC_COMPILER ${trebbo_mingw_target}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${trebbo_mingw_target})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# ctest runs every test program under wine through this wrapper, which picks
# 32-bit or 64-bit wine by the program itself.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
