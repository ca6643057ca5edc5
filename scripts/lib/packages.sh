# shellcheck shell=bash
# Sourced by install-tools, windows-check and check-web: the Debian packages the checks need,
# and how the missing ones are installed (as root, or through sudo where it asks for no
# password).

# What every check but the Windows and web stages needs (used by the scripts that source this
# file).
# shellcheck disable=SC2034
check_packages=(cmake make g++ clang libclang-rt-14-dev clang-tidy clang-format cppcheck valgrind
    libgtest-dev libbenchmark-dev doxygen libpng-dev pkgconf python3 linkchecker)
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
    local codename suite=()
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    if [ "$codename" = bookworm ]; then
        grep -rqs bookworm-backports /etc/apt/sources.list /etc/apt/sources.list.d/ ||
            printf '%s\n' 'Types: deb' 'URIs: http://deb.debian.org/debian' \
                'Suites: bookworm-backports' 'Components: main' \
                'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' |
            "${as_root[@]}" tee /etc/apt/sources.list.d/bookworm-backports.sources > /dev/null ||
            return 1
        suite=(-t bookworm-backports)
    fi
    apt_get update && apt_get install -y --no-install-recommends "${suite[@]}" qemu-user
}

apt_get() {
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get -q -o DPkg::Lock::Timeout=600 "$@"
}
