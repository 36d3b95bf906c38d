#!/usr/bin/env bash
# Installs, on Debian 12 as root, whatever the build and the tests need and is missing.
set -euo pipefail

packages=(wine wine64 g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686
          xvfb xauth xdotool imagemagick googletest cmake ninja-build clang-format)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
        missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq "${missing[@]}" >/dev/null
fi
