# How a game takes the engine in, as CTest tests labelled install (natively the test preset
# install; the Windows builds run them with the rest), in the order their fixtures give; what
# each does is in docs/testing.md (the check install).
set(work ${CMAKE_BINARY_DIR}/consumers)
set(prefix ${work}/prefix)
set(root ${PROJECT_SOURCE_DIR})
# What the example game prints: its message delivered, its tree built.
set(game_output "\\n@\\n@0Message received... asshole.\\nReceiver:0\\nMessage:g\\n@\\nFinished a quad tree iteration.")

# consumer(NAME SOURCE-DIR BUILD-OPTION...): SOURCE-DIR built as a project of its own, with this
# build's toolchain; a cross toolchain confines package search to its root, so the package's
# folder is named.
function(consumer name source)
    add_test(NAME consumer_${name}
        COMMAND ${CMAKE_CTEST_COMMAND} --build-and-test ${source} ${work}/${name}
                --build-generator ${CMAKE_GENERATOR} --build-options -DCMAKE_BUILD_TYPE=Release
                -DCMAKE_PREFIX_PATH=${prefix} -DEngineCore_DIR=${prefix}/lib/cmake/EngineCore
                -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE} ${ARGN})
    set_tests_properties(consumer_${name} PROPERTIES FIXTURES_REQUIRED installed
                         FIXTURES_SETUP ${name})
endfunction()

# game_runs(NAME PROGRAM): PROGRAM, once built, prints what the example game prints.
function(game_runs name program)
    add_test(NAME ${name}_runs
        COMMAND ${CMAKE_COMMAND} -DPROGRAM=${program}${CMAKE_EXECUTABLE_SUFFIX}
                "-DEXPECTED=${game_output}" "-DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}"
                -DWINDOWS_TARGET=${WIN32} -P ${CMAKE_CURRENT_SOURCE_DIR}/transcript.cmake)
    set_tests_properties(${name}_runs PROPERTIES FIXTURES_REQUIRED ${name})
endfunction()

add_test(NAME install_clean COMMAND ${CMAKE_COMMAND} -E rm -rf ${work})
set_tests_properties(install_clean PROPERTIES FIXTURES_SETUP clean)
add_test(NAME install COMMAND ${CMAKE_COMMAND} --install ${CMAKE_BINARY_DIR} --prefix ${prefix})
set_tests_properties(install PROPERTIES FIXTURES_SETUP installed FIXTURES_REQUIRED clean)

consumer(find_package ${root}/examples)
game_runs(find_package ${work}/find_package/game)

# From the folder of the prefix, whose relative path holds no space that would split the flags.
# On Windows the render shell's file brings in the core's through its Requires line; the host,
# only linked, needs the shell's own libraries, d3d9 among them, and the sources the programs
# share beside it.
if(WIN32)
    set(module enginecore-rendershell)
    set(host "&& '${CMAKE_CXX_COMPILER}' -static -o host-pkgconfig.exe '${root}/host/main.cpp' \
-I '${root}' '${root}/programs/count.cpp' '${root}/programs/window.cpp' $(pkg-config --cflags \
--libs ${module})")
else()
    set(module enginecore)
endif()
add_test(NAME consumer_pkg_config WORKING_DIRECTORY ${work} COMMAND sh -c
    "export PKG_CONFIG_LIBDIR=prefix/lib/pkgconfig && \
    test \"$(pkg-config --modversion ${module})\" = ${PROJECT_VERSION} && \
    '${CMAKE_CXX_COMPILER}' ${CMAKE_EXE_LINKER_FLAGS} -o game-pkgconfig${CMAKE_EXECUTABLE_SUFFIX} \
    '${root}/examples/game.cpp' $(pkg-config --cflags --libs ${module}) ${host}")
set_tests_properties(consumer_pkg_config PROPERTIES FIXTURES_REQUIRED installed
                     FIXTURES_SETUP pkg_config)
game_runs(pkg_config ${work}/game-pkgconfig)

if(NOT CMAKE_CROSSCOMPILING)
    consumer(subproject ${root}/examples -DENGINE_SOURCE_DIR=${root}
             -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON)
    game_runs(subproject ${work}/subproject/game)
    # The targets that the generator lists (Unix Makefiles), less its own.
    add_test(NAME subproject_defines_only_its_library WORKING_DIRECTORY ${work} COMMAND sh -c
        "test \"$(cmake --build subproject --target help | sed -n 's/^[.][.][.] \\([^ .]*\\)$/\\1/p' \
        | grep -v -x -E 'all|clean|depend|edit_cache|rebuild_cache' | sort | tr '\\n' ' ')\" \
        = 'enginecore_core game '")
    set_tests_properties(subproject_defines_only_its_library PROPERTIES
                         FIXTURES_REQUIRED subproject)
    foreach(compiler IN ITEMS g++ clang++)
        consumer(headers_${compiler} ${CMAKE_CURRENT_SOURCE_DIR}/headers
                 -DCMAKE_CXX_COMPILER=${compiler})
    endforeach()
    consumer(doc_examples ${CMAKE_CURRENT_SOURCE_DIR}/docs --test-command ${CMAKE_CTEST_COMMAND}
             --test-dir ${work}/doc_examples --output-on-failure)
    add_test(NAME using_routes COMMAND python3 scripts/lib/manual.py routes docs/using.md
             WORKING_DIRECTORY ${root})
    add_test(NAME release_archive WORKING_DIRECTORY ${root} COMMAND bash -c
        "source scripts/lib/release.sh && native_release_check '${CMAKE_BINARY_DIR}' '${work}/package'")
    set_tests_properties(release_archive PROPERTIES FIXTURES_REQUIRED clean)
endif()

# Each builds a project of its own: on a busy machine longer than a unit test's bound.
get_property(consumer_tests DIRECTORY PROPERTY TESTS)
list(FILTER consumer_tests INCLUDE REGEX "^(install|consumer_|subproject_|using_|release_|.*_runs$)")
set_tests_properties(${consumer_tests} PROPERTIES LABELS install TIMEOUT 1800
                     ENVIRONMENT CMAKE_BUILD_PARALLEL_LEVEL=2)
