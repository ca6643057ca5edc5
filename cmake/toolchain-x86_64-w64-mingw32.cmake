# Cross build for 64-bit Windows on x86-64 with MinGW-w64; the programs and tests run under
# wine's 64-bit loader. Doubles are SSE2 arithmetic already, the x86-64 default.
#   cmake -S . -B build-windows64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-x86_64-w64-mingw32.cmake
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(mingw_triple x86_64-w64-mingw32)
set(mingw_wine wine64)
set(ENGINE_WINEARCH win64)

include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
