# Sourced by the run and test scripts: a display, a Wine prefix of the build's own with a
# persistent, booted server, and stop_wine_session to end all of it.
#   WINE_SESSION_PREFIX  the prefix (default: build/wineprefix)
#   DISPLAY              used when set; otherwise an Xvfb of its own is started

session_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${WINE_SESSION_PREFIX:-$session_root/build/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
started_xvfb=""

start_wine_session() {
    if [ -z "${DISPLAY:-}" ]; then
        local number
        for number in $(seq 90 140); do
            [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ] || break
        done
        Xvfb ":$number" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        started_xvfb=$!
        export DISPLAY=":$number"
        for _ in $(seq 50); do
            [ -e "/tmp/.X11-unix/X$number" ] && break
            sleep 0.1
        done
    fi
    mkdir -p "$(dirname "$WINEPREFIX")"
    local fresh=""
    [ -d "$WINEPREFIX" ] || fresh=yes
    if [ -n "$fresh" ]; then
        # The server needs the prefix to exist: create it first and let its server end.
        "$WINE64" wineboot.exe </dev/null >/dev/null 2>&1
        "$WINESERVER" -w
    fi
    # A server that already runs for this prefix serves just as well.
    "$WINESERVER" -p 2>/dev/null || true
    "$WINE64" wineboot.exe </dev/null >/dev/null 2>&1
    if [ -n "$fresh" ] || [ ! -f "$WINEPREFIX/.window-manager-off" ]; then
        # Without a window manager Wine draws captions itself and gives its windows the
        # X input focus only when it manages them.
        "$WINE64" reg.exe add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
            </dev/null >/dev/null 2>&1
        "$WINE64" reg.exe add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f \
            </dev/null >/dev/null 2>&1
        touch "$WINEPREFIX/.window-manager-off"
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
