# Sourced by the run and test scripts: a display, a Wine prefix of the build's own with a
# persistent, booted server, and stop_wine_session to end all of it.
#   start_wine_session          an Xvfb of its own, whatever DISPLAY says
#   start_wine_session desktop  the display in DISPLAY when set (a person's desktop),
#                               otherwise an Xvfb of its own
#   WINE_SESSION_PREFIX         the prefix (default: build/wineprefix)
# Exits the sourcing script with a message when no display of its own can be started.

session_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${WINE_SESSION_PREFIX:-$session_root/build/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
started_xvfb=""

# Starts Xvfb on the first display number it can really take and exports DISPLAY. Another
# X server in the same network namespace may hold a number's abstract socket while its
# files in /tmp are absent; Xvfb then exits at once, and a client of that number would
# reach the other server. So a number counts only when our Xvfb holds its lock, made its
# socket, answers a client, and still runs after that.
start_own_xvfb() {
    local number
    for number in $(seq 90 140); do
        [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ] && continue
        Xvfb ":$number" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
        started_xvfb=$!
        for _ in $(seq 100); do
            [ -S "/tmp/.X11-unix/X$number" ] || ! kill -0 "$started_xvfb" 2>/dev/null && break
            sleep 0.1
        done
        if [ -S "/tmp/.X11-unix/X$number" ] && xvfb_holds_lock "$number" &&
            DISPLAY=":$number" timeout 10 xdotool getdisplaygeometry >/dev/null 2>&1 &&
            kill -0 "$started_xvfb" 2>/dev/null; then
            export DISPLAY=":$number"
            return 0
        fi
        kill "$started_xvfb" 2>/dev/null || true
        wait "$started_xvfb" 2>/dev/null || true
        started_xvfb=""
    done
    echo "wine-session: no Xvfb of its own could start on the displays :90 to :140" >&2
    return 1
}

xvfb_holds_lock() {
    local holder
    holder=$(tr -d ' ' 2>/dev/null <"/tmp/.X$1-lock") || return 1
    [ "$holder" = "$started_xvfb" ]
}

# Wine leaves a captioned window to the window manager unless told otherwise. Xvfb has
# none, so there Wine must draw captions itself and give its windows the X input focus;
# on a desktop the manager does both. The value follows the display, not the prefix, so
# every session writes it: a prefix used on both never keeps the other's.
set_window_manager_integration() {
    local value="$1" settings
    settings="$WINEPREFIX/window-manager.reg"
    if [ "$value" = off ]; then
        printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\n"Managed"="N"\n"Decorated"="N"\n' >"$settings"
    else
        printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\n"Managed"=-\n"Decorated"=-\n' >"$settings"
    fi
    "$WINE64" regedit.exe /S "$(winepath_of "$settings")" </dev/null >/dev/null 2>&1
    rm -f "$settings"
}

# The prefix's own drive for a Unix path: Z: is the Unix root in every prefix.
winepath_of() {
    printf 'Z:%s' "${1//\//\\}"
}

# Wine closes its desktop soon after the last program on it has ended, and the next
# program starts a new desktop process that inherits its standard output: a test's pipe
# then stays open for as long as later tests keep that desktop busy. A program that holds
# the desktop for the whole session, with null standard handles, keeps the first desktop.
keep_desktop_open() {
    local keeper="$session_root/build/x86_64/tests/keep_desktop.exe" ready
    [ -f "$keeper" ] || return 0
    ready=$(mktemp)
    "$WINE64" "$keeper" </dev/null >"$ready" 2>/dev/null &
    for _ in $(seq 300); do
        grep -q ready "$ready" && break
        sleep 0.1
    done
    grep -q ready "$ready" || echo "wine-session: the desktop keeper did not start" >&2
    rm -f "$ready"
}

start_wine_session() {
    local mode="${1:-}"
    if [ "$mode" = desktop ] && [ -n "${DISPLAY:-}" ]; then
        : # a person's display, with its window manager
    else
        unset DISPLAY
        start_own_xvfb || exit 1
    fi
    mkdir -p "$(dirname "$WINEPREFIX")"
    if [ ! -d "$WINEPREFIX" ]; then
        # The server needs the prefix to exist: create it first and let its server end.
        "$WINE64" wineboot.exe </dev/null >/dev/null 2>&1
        "$WINESERVER" -w
    fi
    # A server that already runs for this prefix serves just as well.
    "$WINESERVER" -p 2>/dev/null || true
    "$WINE64" wineboot.exe </dev/null >/dev/null 2>&1
    keep_desktop_open
    if [ -n "$started_xvfb" ]; then
        set_window_manager_integration off
    else
        set_window_manager_integration on
    fi
}

stop_wine_session() {
    "$WINESERVER" -k >/dev/null 2>&1 || true
    if [ -n "$started_xvfb" ]; then
        kill "$started_xvfb" >/dev/null 2>&1 || true
        wait "$started_xvfb" 2>/dev/null || true
        started_xvfb=""
    fi
}
