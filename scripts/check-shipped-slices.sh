#!/usr/bin/env bash
# Checks every signed 32-bit number with the shipped build's texts (check-factor-texts.sh
# --shipped) in 64 slices of 2^26 numbers: hours more than one sitting, so each slice
# checked goes into docs/shipped-factor-check.txt with the checker's last line, and a later
# call goes on with the slices not yet recorded there. Build first with scripts/build.sh.
#   check-shipped-slices.sh [COUNT]   check at most COUNT slices this time (default: all left)
# Exits non-zero at the first slice with a wrong or unchecked row; its log is in build/.
set -euo pipefail
cd "$(dirname "$0")/.."
record=docs/shipped-factor-check.txt
slice_rows=67108864
limit="${1:-64}"
touch "$record"
checked=0
for slice in $(seq 0 63); do
    first=$((-2147483648 + slice * slice_rows))
    last=$((first + slice_rows - 1))
    grep -q "^checked $slice_rows rows, $first\.\.$last: 0 wrong" "$record" && continue
    [ "$checked" -lt "$limit" ] || break
    log="build/shipped-factor-check-$slice.log"
    echo "slice $((slice + 1)) of 64: $first..$last"
    status=0
    bash scripts/check-factor-texts.sh --shipped "$first..$last" >"$log" 2>&1 || status=$?
    sed -i 's/\r$//' "$log"
    last_line=$(tail -n 1 "$log")
    # The exit code of a Wine process is not to be trusted alone.
    if [ "$status" -ne 0 ] || [ "$last_line" != "checked $slice_rows rows, $first..$last: 0 wrong" ] ||
        grep -Eq '^worker [0-9]+ ended|^only [0-9]+ of' "$log"; then
        echo "slice $first..$last failed (status $status): $last_line; see $log"
        exit 1
    fi
    echo "$last_line ($(grep 'rows/s on' "$log"); $(date -u +%F))" | tee -a "$record"
    checked=$((checked + 1))
done
echo "$(grep -c '^checked' "$record") of 64 slices checked"
