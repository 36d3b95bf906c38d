#!/usr/bin/env bash
# Installs what is missing, builds both programs, runs the smoke test of the shipped 32-bit
# program (scripts/test-shipped.sh) and the unit-test programs of the 32-bit build
# (scripts/test-shipped-units.sh), then every test of the 64-bit twin under Wine on an Xvfb
# of its own, each test in a process of its own and each program once whole: the tests
# move the pointer and type keys, so they never run on the display in DISPLAY. Further
# arguments go to CTest. Exits non-zero when anything failed.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-dependencies.sh
bash scripts/build.sh

status=0
bash scripts/test-shipped.sh || status=1
bash scripts/test-shipped-units.sh || status=1

source scripts/wine-session.sh
trap stop_wine_session EXIT
start_wine_session
ctest --test-dir build/x86_64 --output-on-failure --timeout 300 -j 2 "$@" || status=1
exit $status
