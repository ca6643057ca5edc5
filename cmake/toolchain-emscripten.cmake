# WebAssembly (wasm32) with Debian's emscripten; the programs and tests run under node.
#   cmake -S . -B build-web -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-emscripten.cmake
# emscripten 3.1.6's optimizer requires Debian's acorn, which node 20 finds only through
# NODE_PATH=/usr/share/nodejs (the web preset sets it for configuring, building and testing).

# node 20's own fetch makes emscripten 3.1.6's loader take it for a browser.
find_program(ENGINE_NODE NAMES node nodejs)
if(ENGINE_NODE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${ENGINE_NODE} --no-experimental-fetch)
endif()

include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)

# The engine catches what it throws (the actor's name check), which emscripten allows only when
# asked, at compiling and at linking alike.
set(CMAKE_CXX_FLAGS_INIT "-fexceptions")

# Every program is a console program under node: the real file system (the transcript goes
# through a file, as for the other targets), and standard output flushed at exit, so the
# last line, which has no line end, is neither lost nor given one. Linked at -O1 (the code is
# compiled at the build type's level): the link's own -O3 takes ten times as long, for tests
# that run once. The page overrides all three.
set(CMAKE_EXE_LINKER_FLAGS_INIT
    "-fexceptions -O1 -sNODERAWFS=1 -sEXIT_RUNTIME=1 -sALLOW_MEMORY_GROWTH=1")
