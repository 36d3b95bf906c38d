#!/usr/bin/env bash
# Installs, on Debian 12 as root, whatever the build and the tests need and is missing:
# the cross compilers, 64-bit Wine, Xvfb and the input tools, and for the shipped 32-bit
# program the 32-bit Wine (i386 architecture) and qemu's user-mode emulator.
#
# A registry can be out of step for a while (a mirror in mid-sync): the index update is
# tried again after a pause and the work goes on with whatever indexes could be had; when
# the packages then do not resolve across the suites, they are all installed from the base
# suite alone. Prints a line at every tenth of the download and of the installation.
#   APT_RETRY_PAUSE   seconds between two tries of the index update (default 15)
set -euo pipefail

packages=(wine wine64 g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686
          xvfb xauth xdotool xclip imagemagick googletest cmake ninja-build clang-format wine32:i386)
# Without its recommendations: they would register the emulator in the machine's own
# binfmt_misc, which the scripts leave alone.
plain_packages=(qemu-user-static)
update_tries=3
retry_pause="${APT_RETRY_PAUSE:-15}"

say() {
    echo "install-dependencies: $*"
}

missing() {
    local package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
            echo "$package"
    done
}

# apt's errors and warnings, and the unmet dependencies it names, without the hash listings
# and the rest of its report.
errors_in() {
    grep -E '^(E|W): | : Depends: ' "$1" | grep -v '^W: Download is performed unsandboxed' |
        head -n 20 || true
}

# Reads apt's status lines and prints one line whenever the download or the installation
# passes another tenth. A line is KIND:ITEM:PERCENT:TEXT, where the item is a count or a
# package, whose name a foreign architecture follows after a colon (libc6:i386), and the
# text may hold colons too.
show_progress() {
    local format='^(dlstatus|pmstatus):([^:]*|[^:]*:[^:0-9][^:]*):([0-9]+)(\.[0-9]*)?:(.*)$'
    local status kind step last_download=-1 last_install=-1 line
    while IFS= read -r status; do
        [[ "$status" =~ $format ]] || continue
        kind=${BASH_REMATCH[1]}
        step=$((10#${BASH_REMATCH[3]} / 10 * 10))
        line=${BASH_REMATCH[5]}
        case "$kind" in
        dlstatus)
            [ "$step" -gt "$last_download" ] && echo "  downloading: $step%" && last_download=$step
            ;;
        pmstatus)
            [ "$step" -gt "$last_install" ] && echo "  installing: $step% ($line)" && last_install=$step
            ;;
        esac
    done
    return 0
}

update_indexes() {
    local try log
    log=$(mktemp)
    for try in $(seq "$update_tries"); do
        if apt-get update >"$log" 2>&1; then
            rm -f "$log"
            return 0
        fi
        say "the package index update failed (try $try of $update_tries):"
        errors_in "$log" | sed 's/^/  /'
        [ "$try" -lt "$update_tries" ] && sleep "$retry_pause"
    done
    rm -f "$log"
    say "going on with the indexes that could be had"
}

# Installs the packages, with further apt-get options before them; leaves apt's output in
# $install_log.
install_with() {
    apt-get install -y -o APT::Status-Fd=3 "$@" 3>&1 1>>"$install_log" 2>&1 | show_progress
}

does_not_resolve() {
    grep -qE 'held broken packages|is not installable|has no installation candidate|Unable to correct problems' \
        "$install_log"
}

base_suite() {
    (. /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}")
}

# Installs one list, from the base suite alone when it does not resolve across the suites.
install_list() {
    local suite
    : >"$install_log"
    install_with "$@" && return 0
    suite=$(base_suite)
    if does_not_resolve && [ -n "$suite" ]; then
        say "the packages do not resolve across the suites' indexes; installing them all from $suite alone"
        : >"$install_log"
        install_with -t "$suite" "$@" && return 0
    fi
    return 1
}

mapfile -t wanted < <(missing "${packages[@]}")
mapfile -t wanted_plain < <(missing "${plain_packages[@]}")
[ ${#wanted[@]} -eq 0 ] && [ ${#wanted_plain[@]} -eq 0 ] && exit 0

say "installing ${wanted[*]} ${wanted_plain[*]}"
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    say "adding the i386 architecture to this machine's package system, for wine32:i386; it stays after this script (dpkg --remove-architecture i386 takes it back once no i386 package is installed)"
    dpkg --add-architecture i386
fi
update_indexes

install_log=$(mktemp)
trap 'rm -f "$install_log"' EXIT
failed=0
if [ ${#wanted[@]} -gt 0 ]; then
    install_list "${wanted[@]}" || failed=1
fi
if [ "$failed" -eq 0 ] && [ ${#wanted_plain[@]} -gt 0 ]; then
    install_list --no-install-recommends "${wanted_plain[@]}" || failed=1
fi
if [ "$failed" -ne 0 ]; then
    mapfile -t still < <(missing "${packages[@]}" "${plain_packages[@]}")
    say "FAILED: could not install ${still[*]}; apt-get said:"
    errors_in "$install_log" | sed 's/^/  /'
    exit 1
fi
say "installed"
