# Cross build for 32-bit Windows on x86 with MinGW-w64; the programs and tests run under wine.
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-w64-mingw32.cmake
set(CMAKE_SYSTEM_PROCESSOR x86)
set(mingw_triple i686-w64-mingw32)
set(mingw_wine wine)
set(ENGINE_WINEARCH win32)

# SSE2 arithmetic keeps every double at IEEE 754 double precision, as on the native build;
# the x87 unit would hold intermediates at 80 bits and change the last bits of results.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")

include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
