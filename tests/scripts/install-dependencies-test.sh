#!/usr/bin/env bash
# Runs scripts/install-dependencies.sh against stand-in apt-get, dpkg and dpkg-query that
# play a registry that is fine, one out of step (a mirror in mid-sync whose security suite
# does not match the base suite), one whose packages do not resolve at all, and one that is
# down; checks what the script asked apt for, what it said, and how it ended. No network.
set -uo pipefail
script="$(cd "$(dirname "$0")/../.." && pwd)/scripts/install-dependencies.sh"
suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
work=$(mktemp -d)
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
mkdir "$work/bin"

cat >"$work/bin/dpkg-query" <<'STANDIN'
#!/usr/bin/env bash
package="${!#}"
grep -qxF "$package" "$STATE/installed" && printf 'install ok installed' && exit 0
echo "dpkg-query: no packages found matching $package" >&2
exit 1
STANDIN

cat >"$work/bin/dpkg" <<'STANDIN'
#!/usr/bin/env bash
case "$1" in
--print-foreign-architectures) cat "$STATE/architectures" ;;
--add-architecture) echo "$2" >>"$STATE/architectures" ;;
*) exit 2 ;;
esac
STANDIN

cat >"$work/bin/sleep" <<'STANDIN'
#!/usr/bin/env bash
echo "sleep $*" >>"$STATE/calls"
STANDIN

cat >"$work/bin/apt-get" <<'STANDIN'
#!/usr/bin/env bash
# The command and its suite pin, if any, as one line of the call record.
command="" pin="" plain="" list=()
while [ $# -gt 0 ]; do
    case "$1" in
    -t) pin=" -t $2"; shift ;;
    --no-install-recommends) plain=" --no-install-recommends" ;;
    -o | -y) [ "$1" = -o ] && shift ;;
    update | install) command="$1" ;;
    *) list+=("$1") ;;
    esac
    shift
done
echo "$command$pin$plain" >>"$STATE/calls"
fetch_error() {
    case "$REGISTRY" in
    down) echo "E: Failed to fetch http://deb.debian.org/debian/dists/bookworm/InRelease  Temporary failure resolving 'deb.debian.org'" ;;
    *) echo "E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 203.0.113.80 80]"
       echo "   Hashes of expected file:"
       echo "    - Filesize:376004 [weak]" ;;
    esac
}
if [ "$command" = update ]; then
    [ "$REGISTRY" = fine ] && echo "Hit:1 http://deb.debian.org/debian bookworm InRelease" && exit 0
    fetch_error
    echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
    exit 100
fi
if [ "$REGISTRY" = down ]; then
    echo "E: Failed to fetch http://deb.debian.org/debian/pool/main/w/wine/wine64_8.0~repack-4_amd64.deb  Temporary failure resolving 'deb.debian.org'"
    echo "E: Unable to fetch some archives, maybe run apt-get update or try with --fix-missing?"
    exit 100
fi
if [ "$REGISTRY" = broken ] || { [ "$REGISTRY" = out-of-step ] && [ -z "$pin" ] && [[ " ${list[*]} " == *:i386* ]]; }; then
    echo "The following packages have unmet dependencies:"
    echo " libwine : Depends: libgstreamer-plugins-base1.0-0 (>= 1.0.0) but it is not installable"
    echo "E: Unable to correct problems, you have held broken packages."
    exit 100
fi
for percent in 0 35.5 71 100; do
    echo "dlstatus:1:$percent:Retrieving file" >&3
done
# As apt reports them: a package of a foreign architecture as name:architecture.
for i in "${!list[@]}"; do
    package=${list[$i]}
    echo "pmstatus:$package:$(((i + 1) * 100 / (${#list[@]} + 1))).5:Installing $package" >&3
    echo "$package" >>"$STATE/installed"
done
echo "pmstatus:dpkg-exec:100:Running dpkg" >&3
STANDIN
chmod +x "$work/bin/"*

everything="wine wine64 g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 xvfb xauth xdotool xclip imagemagick googletest cmake ninja-build clang-format wine32:i386 qemu-user-static"
failures=0 passed=0

# name | registry | i386 already added | installed before | exit | the apt-get calls and
# pauses, in order | lines the output must hold (;-separated) | a line it must not hold
cases=(
"a registry in step|fine|no|none|0|update,install,install --no-install-recommends|adding the i386 architecture;downloading: 70%;(Installing wine32:i386);installing: 100%;install-dependencies: installed|do not resolve"
"everything installed already|fine|yes|all|0||||install-dependencies"
"a registry out of step|out-of-step|yes|none|0|update,sleep 15,update,sleep 15,update,install,install -t $suite,install --no-install-recommends|try 3 of 3;Mirror sync in progress;going on with the indexes;do not resolve across the suites' indexes; installing them all from $suite alone;install-dependencies: installed|adding the i386"
"packages that resolve from no suite|broken|yes|none|1|update,sleep 15,update,sleep 15,update,install,install -t $suite|could not install wine wine64;wine32:i386 qemu-user-static;held broken packages;libwine : Depends|installed$"
"a registry that is down|down|no|none|1|update,sleep 15,update,sleep 15,update,install|adding the i386 architecture;could not install wine;Temporary failure resolving|from $suite alone"
)

for row in "${cases[@]}"; do
    IFS='|' read -r name registry added before status calls wanted unwanted <<<"$row"
    state="$work/$registry-$before"
    mkdir -p "$state"
    : >"$state/calls"
    : >"$state/installed"
    [ "$added" = yes ] && echo i386 >"$state/architectures" || : >"$state/architectures"
    [ "$before" = all ] && tr ' ' '\n' <<<"$everything" >"$state/installed"
    actual=0
    STATE="$state" REGISTRY="$registry" PATH="$work/bin:$PATH" bash "$script" >"$state/output" 2>&1 ||
        actual=$?
    problems=()
    [ "$actual" -eq "$status" ] || problems+=("exit code $actual, expected $status")
    actual_calls=$(paste -sd, "$state/calls")
    [ "$actual_calls" = "$calls" ] || problems+=("apt-get calls '$actual_calls', expected '$calls'")
    IFS=';' read -ra lines <<<"$wanted"
    for line in "${lines[@]}"; do
        grep -qF -- "$line" "$state/output" || problems+=("no line with '$line'")
    done
    if [ -n "$unwanted" ] && grep -qE -- "$unwanted" "$state/output"; then
        problems+=("a line with '$unwanted'")
    fi
    if [ "$status" -eq 0 ] && [ "$before" = none ]; then
        for package in $everything; do
            grep -qxF "$package" "$state/installed" || problems+=("$package not installed")
        done
    fi
    if [ ${#problems[@]} -eq 0 ]; then
        passed=$((passed + 1))
        echo "ok: $name"
    else
        failures=$((failures + 1))
        echo "FAILED: $name"
        printf '  %s\n' "${problems[@]}"
        sed 's/^/  | /' "$state/output"
    fi
done
echo "install-dependencies: $passed passed, $failures failed"
[ "$failures" -eq 0 ]
