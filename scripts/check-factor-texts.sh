#!/usr/bin/env bash
# Checks the factor and divisor texts of the 64-bit twin for every number of the given
# ranges and proves each row right (build/x86_64/tests/factor_text_checker.exe, one process
# a processor). Needs no display. Build first with scripts/build.sh. Prints a progress line
# every 5 seconds and ends with "checked N rows, FIRST..LAST: W wrong"; exits non-zero
# when a row is wrong or was not checked.
#   check-factor-texts.sh -2147483648..2147483647     every signed 32-bit number
#   check-factor-texts.sh 1..1000000 hard             ranges, and the hard places
set -euo pipefail
cd "$(dirname "$0")/.."
export WINEPREFIX="$PWD/build/wineprefix-checker"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -d "$WINEPREFIX" ]; then
    /usr/lib/wine/wine64 wineboot.exe </dev/null >/dev/null 2>&1
    /usr/lib/wine/wineserver -w
fi
# A persistent server, and no service process holding this script's output open.
/usr/lib/wine/wineserver -p
/usr/lib/wine/wine64 wineboot.exe </dev/null >/dev/null 2>&1
trap '/usr/lib/wine/wineserver -k >/dev/null 2>&1 || true' EXIT
/usr/lib/wine/wine64 build/x86_64/tests/factor_text_checker.exe "$@" </dev/null
