# Shared by the tools/ scripts: paths, set-up check and the Wine environment.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${DIMINUTO_BUILD:-$ROOT/build}
case "$BUILD_DIR" in /*) ;; *) BUILD_DIR=$ROOT/$BUILD_DIR ;; esac

ensure_setup() {
    "$ROOT/tools/setup" --check >/dev/null 2>&1 || "$ROOT/tools/setup"
}

# Wine: quiet, 32-bit, one prefix per build folder, no Mono/Gecko prompts.
wine_env() {
    export WINEPREFIX=${WINEPREFIX_OVERRIDE:-$BUILD_DIR/wineprefix}
    export WINEDEBUG=-all
    export WINEARCH=win32
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
}

# Creates the prefix once; every program in it runs inside one virtual
# desktop, so a hot key reaches the program that registered it.
wine_prefix_ready() {
    wine_env
    [ -f "$WINEPREFIX/.diminuto-ready" ] && return 0
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        if [ ! -f "$WINEPREFIX/.diminuto-ready" ]; then
            wineboot -i >/dev/null 2>&1 || true
            wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
            wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
            wineserver -w
            touch "$WINEPREFIX/.diminuto-ready"
        fi
    ) 9>"$WINEPREFIX.lock"
}

# Starts the wineserver, the system services and the virtual desktop with
# their output detached, so no test inherits (and holds open) ctest's pipes.
wine_desktop_up() {
    wine_env
    wineserver -p
    wine explorer.exe /desktop=Default,1024x768 </dev/null >/dev/null 2>&1 &
    local i
    for i in $(seq 1 120); do
        pgrep -f 'explorer.exe /desktop=Default' >/dev/null && break
        sleep 0.5
    done
    [ "$i" -lt 120 ] || { echo "wine desktop did not start" >&2; return 1; }
    for i in $(seq 1 10); do
        pgrep -f rpcss.exe >/dev/null && break
        sleep 0.5
    done
}
