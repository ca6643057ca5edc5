# What both Windows cross builds share, included by their toolchain files after they set
# mingw_triple (the compilers' prefix), mingw_wine (the wine loader for the target's programs)
# and ENGINE_WINEARCH (the kind of wine prefix those programs need: win32 or win64).
set(CMAKE_SYSTEM_NAME Windows)

# The posix thread model: the win32 one has no std::mutex, which GoogleTest needs.
set(CMAKE_C_COMPILER ${mingw_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_triple}-windres)

# A static runtime, so each .exe runs without any MinGW DLL beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

set(CMAKE_FIND_ROOT_PATH /usr/${mingw_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Debian keeps the 64-bit loader out of PATH, in /usr/lib/wine.
find_program(ENGINE_WINE ${mingw_wine} PATHS /usr/lib/wine)
if(ENGINE_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${ENGINE_WINE})
endif()
