# shellcheck shell=bash
# Sourced by install-tools, windows-check, check-web and bench/web-frame: the Debian packages
# the checks need, and how the missing ones are installed (as root, or through sudo where it
# asks for no password); and the web stage's npm packages.

# What every check but the Windows and web stages needs (used by the scripts that source this
# file); Boost's headers and nanoflann are the peers that check-bench builds the world's
# benchmark against, never a dependency of the library.
# shellcheck disable=SC2034
check_packages=(cmake make g++ clang libclang-rt-14-dev clang-tidy clang-format cppcheck valgrind
    libgtest-dev libbenchmark-dev libboost-dev libnanoflann-dev doxygen libpng-dev pkgconf python3
    linkchecker)
# What the Windows stage needs, for 32-bit and 64-bit Windows; these are installed with their
# recommended packages.
windows_packages=(g++-mingw-w64-i686 mingw-w64-i686-dev g++-mingw-w64-x86-64 mingw-w64-x86-64-dev
    wine wine32:i386 wine64 xvfb imagemagick)
# What the web stage needs: the WebAssembly compiler (which brings node) and the browser.
web_packages=(emscripten chromium)

# missing_packages PACKAGE...: prints, one a line, each that is not installed (a package removed
# with its configuration files left behind counts as missing).
missing_packages() {
    local package state
    for package; do
        state=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2> /dev/null) || state=
        [ "$state" = installed ] || echo "$package"
    done
}

# root_runner: sets the array as_root to the prefix that runs a command as root here: nothing
# for root, `sudo -n` where sudo asks for no password. Fails where neither works, or where
# there is no apt-get.
root_runner() {
    command -v apt-get > /dev/null || return 1
    as_root=()
    [ "$(id -u)" = 0 ] && return 0
    command -v sudo > /dev/null && sudo -n true 2> /dev/null || return 1
    as_root=(sudo -n)
}

# Whether the packages need the i386 architecture added first.
needs_i386() {
    [[ " $* " == *:i386\ * ]] && ! dpkg --print-foreign-architectures | grep -qx i386
}

# install_command PACKAGE...: the command a person runs to install the packages.
install_command() {
    local sudo=
    command -v sudo > /dev/null && sudo="sudo "
    if needs_i386 "$@"; then
        printf '%sdpkg --add-architecture i386 && ' "$sudo"
    fi
    printf '%sapt-get update && %sapt-get install -y %s\n' "$sudo" "$sudo" "$*"
}

# install_packages PACKAGE...: installs them with apt through "${as_root[@]}" (see root_runner);
# apt's output goes to standard output. Waits for another apt run to release its lock. Its
# steps are chained, so it stops at the first that fails also where a caller tests its status
# (which turns set -e off inside it).
install_packages() {
    local package lean=() full=()
    for package; do
        if [[ " ${windows_packages[*]} " == *" $package "* ]]; then
            full+=("$package")
        else
            lean+=("$package")
        fi
    done
    { ! needs_i386 "$@" || "${as_root[@]}" dpkg --add-architecture i386; } &&
        apt_get update &&
        { ((${#lean[@]} == 0)) || apt_get install -y --no-install-recommends "${lean[@]}"; } &&
        { ((${#full[@]} == 0)) || apt_get install -y --no-remove "${full[@]}"; }
}

# install_qemu_user: qemu's user-mode emulators, qemu-i386 among them, of version 8 or later
# (which can run wine): the release's own, or on Debian 12, whose qemu is 7.2, those of its
# backports, whose source is added where it is missing.
install_qemu_user() {
    local codename stanza suite=()
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    if [ "$codename" = bookworm ]; then
        if ! grep -rqs bookworm-backports /etc/apt/sources.list /etc/apt/sources.list.d/; then
            stanza=$(backports_source bookworm) || return 1
            "${as_root[@]}" tee /etc/apt/sources.list.d/bookworm-backports.sources \
                <<< "$stanza" > /dev/null || return 1
        fi
        suite=(-t bookworm-backports)
    fi
    apt_get update && apt_get install -y --no-install-recommends "${suite[@]}" qemu-user
}

# backports_source CODENAME [APT-DIR]: the source of CODENAME-backports, as a deb822 stanza,
# made from the source that the machine already has for CODENAME itself (APT-DIR, /etc/apt by
# default): the same archive, with the same signing key. Fails, saying so, where there is none.
backports_source() {
    local codename=$1 dir=${2:-/etc/apt} file stanzas=() lines=()
    for file in "$dir"/sources.list.d/*.sources; do
        [ ! -f "$file" ] || stanzas+=("$file")
    done
    for file in "$dir"/sources.list "$dir"/sources.list.d/*.list; do
        [ ! -f "$file" ] || lines+=("$file")
    done
    if { ((${#stanzas[@]} > 0)) && backports_from_stanzas "$codename" "${stanzas[@]}"; } ||
        { ((${#lines[@]} > 0)) && backports_from_lines "$codename" "${lines[@]}"; }; then
        return 0
    fi
    echo "packages: no apt source for $codename in $dir to take its backports' from" >&2
    return 1
}

# backports_from_stanzas CODENAME FILE...: from deb822 files, the first enabled stanza of type
# deb whose suites name CODENAME.
backports_from_stanzas() {
    # shellcheck disable=SC2016 # the $ are awk's own
    awk -v codename="$1" '
        function reset() { types = uris = suites = signed = key = ""; enabled = "yes" }
        function take() {
            if (!found && enabled != "no" && (" " types " ") ~ / deb / &&
                (" " suites " ") ~ (" " codename " ")) {
                found = 1
                printf "Types: deb\nURIs: %s\nSuites: %s-backports\nComponents: main\n", uris, codename
                if (signed != "") print "Signed-By:" (signed ~ /^\n/ ? "" : " ") signed
            }
            reset()
        }
        FNR == 1 { take() }
        /^#/ { next }
        /^[ \t]*$/ { take(); next }
        # A continued field: only the signing key, which may be the key itself, goes on.
        /^[ \t]/ { if (key == "signed-by") signed = signed "\n" $0; next }
        {
            key = tolower(substr($0, 1, index($0, ":") - 1))
            value = substr($0, index($0, ":") + 1)
            gsub(/^[ \t]+|[ \t]+$/, "", value)
            if (key == "types") types = value
            else if (key == "uris") uris = value
            else if (key == "suites") suites = value
            else if (key == "signed-by") signed = value
            else if (key == "enabled") enabled = tolower(value)
        }
        END { take(); exit !found }' "${@:2}"
}

# backports_from_lines CODENAME FILE...: from one-line files, the first line
# `deb [OPTION...] URI CODENAME COMPONENT...`.
backports_from_lines() {
    # shellcheck disable=SC2016 # the $ are awk's own
    awk -v codename="$1" '
        $1 != "deb" { next }
        {
            i = 2
            options = ""
            if ($i ~ /^\[/) {
                while (i < NF && $i !~ /\]$/) options = options " " $(i++)
                options = options " " $(i++)
            }
        }
        $(i + 1) == codename {
            printf "Types: deb\nURIs: %s\nSuites: %s-backports\nComponents: main\n", $i, codename
            if (match(options, /signed-by=[^] ]+/))
                print "Signed-By: " substr(options, RSTART + 10, RLENGTH - 10)
            found = 1
            exit
        }
        END { exit !found }' "${@:2}"
}

# install_browser_driver: the npm packages of tests/browser, with which check-web drives
# Chromium, exactly as its lock file pins them, installed with `npm ci` where they are missing
# or differ. No package's install script runs, so none can fetch a browser of its own.
install_browser_driver() {
    local dir=tests/browser
    if cmp -s "$dir/package-lock.json" "$dir/node_modules/.installed-lock"; then
        return 0
    fi
    command -v npm > /dev/null || { echo "packages: npm is not installed" >&2; return 1; }
    (cd "$dir" && npm ci --ignore-scripts --no-audit --no-fund) &&
        cp "$dir/package-lock.json" "$dir/node_modules/.installed-lock"
}

apt_get() {
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get -q -o DPkg::Lock::Timeout=600 "$@"
}
