#!/usr/bin/env bash
# Installs, on Debian 12 as root, whatever the build and the tests need and is missing:
# the cross compilers, 64-bit Wine, Xvfb and the input tools, and for the smoke test of
# the shipped 32-bit program the 32-bit Wine (i386 architecture) and qemu's user-mode
# emulator.
set -euo pipefail

packages=(wine wine64 g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686
          xvfb xauth xdotool imagemagick googletest cmake ninja-build clang-format wine32:i386)
# Without its recommendations: they would register the emulator in the machine's own
# binfmt_misc, which the smoke test leaves alone.
plain_packages=(qemu-user-static)

missing() {
    local package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
            echo "$package"
    done
}

mapfile -t wanted < <(missing "${packages[@]}")
mapfile -t wanted_plain < <(missing "${plain_packages[@]}")
if [ ${#wanted[@]} -gt 0 ] || [ ${#wanted_plain[@]} -gt 0 ]; then
    echo "Installing: ${wanted[*]} ${wanted_plain[*]}"
    export DEBIAN_FRONTEND=noninteractive
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
    apt-get update -qq
    if [ ${#wanted[@]} -gt 0 ]; then
        apt-get install -y -qq "${wanted[@]}" >/dev/null
    fi
    if [ ${#wanted_plain[@]} -gt 0 ]; then
        apt-get install -y -qq --no-install-recommends "${wanted_plain[@]}" >/dev/null
    fi
fi
