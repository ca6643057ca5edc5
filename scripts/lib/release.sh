# shellcheck shell=bash
# Sourced by windows-check and the native build's test release_archive (tests/consumers.cmake):
# what a user of a release does with it, checked the same way for each target.

# make_release BUILD OUT SYSTEM: runs cpack in the build folder BUILD, writing the archive into
# OUT, and sets release to the archive's name without extension, EngineCore-VERSION-SYSTEM, and
# release_reference to the site as the archive must hold it: every file that the docs target
# made in BUILD, which must include a page for every page of docs/ (docs/index.md is its
# index.html) and the demo's page that BUILD was configured with (ENGINE_DEMO_PAGE).
make_release() {
    local html=$1/docs/html page demo out
    for page in docs/*.md; do
        page=md_docs_$(basename "$page" .md).html
        [ -s "$html/${page/md_docs_index.html/index.html}" ] ||
            { echo "release: no $page in $html to pack" >&2; return 1; }
    done
    demo=$(sed -n 's/^ENGINE_DEMO_PAGE:FILEPATH=//p' "$1/CMakeCache.txt")
    cmp -s "$demo" "$html/demo.html" ||
        { echo "release: $html does not hold the demo's page ${demo:-(none configured)}" >&2; return 1; }
    out=$(cd "$2" && pwd)
    (cd "$1" && cpack -B "$out" > /dev/null)
    # shellcheck disable=SC2034 # read by the caller
    release=$(sed -n 's/^project(EngineCore VERSION \([0-9.]*\).*/EngineCore-\1/p' CMakeLists.txt)-$3
    mapfile -t release_reference < <(cd "$html" && find . -type f |
        sed 's|^\./|share/doc/EngineCore/html/|')
}

# check_listing ARCHIVE EXPECTED-FILE: the archive holds exactly the files listed.
check_listing() {
    if ! diff <(sort "$2") <(cmake -E tar tf "$1" | grep -v '/$' | sort) >&2; then
        echo "release: $1 does not hold exactly the expected files" >&2
        return 1
    fi
    echo "release: $1 holds the $(wc -l < "$2") expected files"
}

# expected_listing TOP ENTRY...: the files of a release in folder TOP: the entries given (its
# programs, libraries and headers), and what every release has: the CMake package, the core's
# pkg-config file, the README, the license, the change log and the site (from make_release).
expected_listing() {
    local top=$1 entry
    shift
    for entry in "$@" lib/cmake/EngineCore/EngineCoreConfig.cmake \
        lib/cmake/EngineCore/EngineCoreConfigVersion.cmake \
        lib/cmake/EngineCore/EngineCoreTargets.cmake \
        lib/cmake/EngineCore/EngineCoreTargets-release.cmake lib/pkgconfig/enginecore.pc \
        share/doc/EngineCore/README.md share/doc/EngineCore/LICENSE \
        share/doc/EngineCore/CHANGELOG.md "${release_reference[@]}"; do
        echo "$top/$entry"
    done
}

# engine_headers [EXCEPT]: the public headers as installed, include/engine/NAME.h, but EXCEPT;
# check.h, the engine's own check, is not one.
engine_headers() {
    git ls-files 'engine/*.h' | grep -v -x -e engine/check.h -e "engine/${1:-}" | sed 's|^|include/|'
}

# native_release_check BUILD OUT: the native TGZ, made from BUILD into OUT, holds exactly what
# it should.
native_release_check() {
    mkdir -p "$2"
    make_release "$1" "$2" Linux
    mapfile -t entries < <(printf '%s\n' bin/scenario lib/libenginecore.a; engine_headers rendershell.h)
    expected_listing "$release" "${entries[@]}" > "$2/expected-listing"
    check_listing "$2/$release.tar.gz" "$2/expected-listing"
}
