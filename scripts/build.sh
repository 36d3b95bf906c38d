#!/usr/bin/env bash
# Builds the shipped 32-bit program and its 64-bit twin with the tests.
set -euo pipefail
cd "$(dirname "$0")/.."

for preset in i686 x86_64; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done
