#!/usr/bin/env bash
# Runs the unit-test programs of the shipped 32-bit build (build/i686/tests: core, window,
# control, app) under 32-bit Wine, natively where the kernel runs 32-bit code and emulated
# elsewhere (scripts/wine32.sh), each as one process that runs all its tests, and prints
# one line for each:
#   i686 core_tests.exe: 17 tests passed
#   i686 app_tests.exe: FAILED: 1 of 21 tests failed: FactorText.DivisorsOfOne
# Then the factor-text checker of the same build on a slice of the range (both ends of the
# signed range and the small numbers), with its last line:
#   i686 factor_text_checker.exe: checked 500001 rows, -2147483648..2147483647: 0 wrong
# Exits non-zero when any of them failed. Their output is in build/shipped/. Build first
# with scripts/build.sh; run as root.
#   SHIPPED_UNITS_TIMEOUT  seconds for each program (default 1200)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
log_dir="$root/build/shipped"
programs=(core_tests window_tests control_tests app_tests)
emulator_dies_in=ReportListRowCommands.ACopyThatCannotBeHadWholeIsNoneAndTheUserIsTold
checker_slice=(-2147483648..-2147383649 -100000..200000 2147383648..2147483647)
limit="${SHIPPED_UNITS_TIMEOUT:-1200}"
source "$root/scripts/wine32.sh"

# The verdict on one program's output and exit status.
verdict() {
    local output="$1" status="$2" passed failed names
    passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\.$/\1/p' "$output" | tail -n 1)
    failed=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) tests\?, listed below:$/\1/p' "$output" | tail -n 1)
    if [ -n "$failed" ]; then
        names=$(sed -n 's/^\[  FAILED  \] \([^ ,]*\)$/\1/p' "$output" | sort -u | paste -sd, - | sed 's/,/, /g')
        echo "FAILED: $failed of $((${passed:-0} + failed)) tests failed: $names"
    elif [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
        echo "FAILED: no result within $limit s; the last test begun: $(grep '^\[ RUN' "$output" | tail -n 1 | cut -c 14-)"
    elif [ -z "$passed" ] || [ "$status" -ne 0 ]; then
        echo "FAILED: ended with status $status and no summary; the last test begun: $(grep '^\[ RUN' "$output" | tail -n 1 | cut -c 14-)"
    else
        echo "$passed tests passed"
    fi
}

# The checker's verdict: its last line, trusted only with exit status 0 and no worker that
# ended early (the exit code of a Wine process is not to be trusted alone).
checker_verdict() {
    local output="$1" status="$2" last
    last=$(tail -n 1 "$output")
    if [ "$status" -eq 0 ] && [[ "$last" =~ ^checked\ [0-9]+\ rows,\ [-0-9.]+:\ 0\ wrong$ ]] &&
        ! grep -Eq '^worker [0-9]+ ended|^only [0-9]+ of' "$output"; then
        echo "$last"
    else
        echo "FAILED: status $status: $(grep -E '^wrong row|^worker|^only' "$output" | head -n 3 | paste -sd';' -)${last:+; last line: $last}"
    fi
}

if [ "${1:-}" = --inside ]; then
    if ! wine32_prepare_inside; then
        for program in "${programs[@]}"; do
            echo "i686 $program.exe: FAILED: $WINE32_PROBLEM"
        done
        exit 1
    fi
    export WINE_SESSION_PREFIX="$WINE32_PREFIX"
    source "$root/scripts/wine-session.sh"
    trap stop_wine_session EXIT
    start_wine_session
    status=0
    for program in "${programs[@]}"; do
        started=$SECONDS
        result=0
        # Under qemu's emulator the 32-bit Wine dies in this one test in most runs, inside its
        # own code ("stack smashing detected", no exception of the program); natively and in
        # the 64-bit twin it runs and passes.
        filter="${GTEST_FILTER:-}"
        if [ "$program" = control_tests ] && [ "${SHIPPED_UNITS_EMULATED:-}" = yes ] &&
            [ -z "$filter" ]; then
            filter="-$emulator_dies_in"
            echo "(emulated: $program.exe without $emulator_dies_in)"
        fi
        env ${filter:+GTEST_FILTER="$filter"} timeout --kill-after=10 "$limit" "$WINE32_LOADER" \
            "build/i686/tests/$program.exe" </dev/null >"$log_dir/$program.log" 2>&1 || result=$?
        sed -i 's/\r$//' "$log_dir/$program.log"
        line=$(verdict "$log_dir/$program.log" "$result")
        echo "i686 $program.exe: $line" >>"$log_dir/units"
        echo "($program.exe: $((SECONDS - started)) s)"
        [[ "$line" == FAILED* ]] && status=1
    done
    started=$SECONDS
    result=0
    timeout --kill-after=10 "$limit" "$WINE32_LOADER" build/i686/tests/factor_text_checker.exe \
        "${checker_slice[@]}" </dev/null >"$log_dir/factor_text_checker.log" 2>&1 || result=$?
    sed -i 's/\r$//' "$log_dir/factor_text_checker.log"
    line=$(checker_verdict "$log_dir/factor_text_checker.log" "$result")
    echo "i686 factor_text_checker.exe: $line" >>"$log_dir/units"
    echo "(factor_text_checker.exe: $((SECONDS - started)) s)"
    [[ "$line" == FAILED* ]] && status=1
    exit $status
fi

mkdir -p "$log_dir"
rm -f "$log_dir/units"
for program in "${programs[@]}" factor_text_checker; do
    [ -f "build/i686/tests/$program.exe" ] ||
        { echo "i686 $program.exe: FAILED: missing (run scripts/build.sh)"; exit 1; }
done
if ! wine32_choose; then
    for program in "${programs[@]}" factor_text_checker; do
        echo "i686 $program.exe: FAILED: $WINE32_PROBLEM"
    done
    exit 1
fi
echo "(32-bit programs: $WINE32_HOW)"
# Emulated here, or by the machine's own binfmt_misc: Wine runs under qemu either way.
SHIPPED_UNITS_EMULATED=$([ "$WINE32_HOW" = native ] && echo no || echo yes)
export SHIPPED_UNITS_EMULATED
status=0
# By its absolute path: "$0" may be relative to the folder it was started from.
wine32_enter $((limit * (${#programs[@]} + 1) + 600)) "$root/scripts/test-shipped-units.sh" --inside \
    >"$log_dir/units.log" 2>&1 || status=$?
grep '^(' "$log_dir/units.log" || true
for program in "${programs[@]}" factor_text_checker; do
    line=$(grep "^i686 $program.exe: " "$log_dir/units" 2>/dev/null) ||
        { line="i686 $program.exe: FAILED: no result (status $status; see $log_dir/units.log)"; status=1; }
    echo "$line"
done
[ "$status" -eq 0 ]
