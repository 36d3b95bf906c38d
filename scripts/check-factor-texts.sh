#!/usr/bin/env bash
# Checks the factor and divisor texts for every number of the given ranges and proves each
# row right (tests/tools/factor_text_checker.cpp, one process a processor): those of the
# 64-bit twin under the 64-bit Wine, or with --shipped those of the shipped 32-bit build
# under 32-bit Wine, natively where the kernel runs 32-bit code and emulated elsewhere
# (scripts/wine32.sh). Needs no display. Build first with scripts/build.sh. Prints a
# progress line every 5 seconds and ends with "checked N rows, FIRST..LAST: W wrong";
# exits non-zero when a row is wrong or was not checked.
#   check-factor-texts.sh -2147483648..2147483647     every signed 32-bit number
#   check-factor-texts.sh 1..1000000 hard             ranges, and the hard places
#   check-factor-texts.sh --shipped hard              the same with the 32-bit build's texts
#   CHECK_TIMEOUT   seconds a --shipped check may take (default: ten days)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

# A persistent server, and no service process holding this script's output open.
boot_prefix() {
    if [ ! -d "$WINEPREFIX" ]; then
        /usr/lib/wine/wine64 wineboot.exe </dev/null >/dev/null 2>&1
        /usr/lib/wine/wineserver -w
    fi
    /usr/lib/wine/wineserver -p
    /usr/lib/wine/wine64 wineboot.exe </dev/null >/dev/null 2>&1
}

case "${1:-}" in
--shipped-inside)
    # In the namespaces of wine32_enter, whose end ends the server and every worker.
    shift
    source "$root/scripts/wine32.sh"
    wine32_prepare_inside || { echo "check-factor-texts: $WINE32_PROBLEM" >&2; exit 1; }
    export WINEPREFIX="$root/build/wineprefix-checker-i686"
    boot_prefix
    status=0
    "$WINE32_LOADER" build/i686/tests/factor_text_checker.exe "$@" </dev/null || status=$?
    exit $status
    ;;
--shipped)
    shift
    [ -f build/i686/tests/factor_text_checker.exe ] ||
        { echo "check-factor-texts: build/i686/tests/factor_text_checker.exe is missing (run scripts/build.sh)" >&2; exit 1; }
    source "$root/scripts/wine32.sh"
    wine32_choose || { echo "check-factor-texts: $WINE32_PROBLEM" >&2; exit 1; }
    echo "the shipped 32-bit build's texts (32-bit programs: $WINE32_HOW)"
    status=0
    wine32_enter "${CHECK_TIMEOUT:-864000}" "$root/scripts/check-factor-texts.sh" --shipped-inside "$@" ||
        status=$?
    exit $status
    ;;
esac

export WINEPREFIX="$root/build/wineprefix-checker"
boot_prefix
trap '/usr/lib/wine/wineserver -k >/dev/null 2>&1 || true' EXIT
/usr/lib/wine/wine64 build/x86_64/tests/factor_text_checker.exe "$@" </dev/null
