# Shared by the tools/ scripts: paths, set-up check, the build that this host
# can run, and the Wine environment.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# The shipped i686 build; DIMINUTO_BUILD moves it.
BUILD_DIR=${DIMINUTO_BUILD:-$ROOT/build}
case "$BUILD_DIR" in /*) ;; *) BUILD_DIR=$ROOT/$BUILD_DIR ;; esac

# Debian's Wine loaders (a test of the scripts puts stand-ins here).
WINE32_LOADER=${WINE32_LOADER:-/usr/lib/wine/wine}
WINE64_LOADER=${WINE64_LOADER:-/usr/lib/wine/wine64}

ensure_setup() {
    "$ROOT/tools/setup" --check >/dev/null 2>&1 || "$ROOT/tools/setup"
}

# True when this host can start 32-bit Wine (some kernels refuse 32-bit
# programs with "Exec format error"); found by trying it.
host_runs_win32() {
    "$WINE32_LOADER" --version >/dev/null 2>&1
}

# The architecture of the build that runs here: DIMINUTO_ARCH (i686 or
# x86_64) when set, else i686 where 32-bit Wine starts and x86_64 where it
# is installed but refused. Asked only after the set-up: a loader not yet
# installed says nothing about the host.
run_arch() {
    case "${DIMINUTO_ARCH:-auto}" in
        i686 | x86_64) echo "$DIMINUTO_ARCH" ;;
        auto)
            if [ ! -x "$WINE32_LOADER" ]; then
                echo "32-bit Wine ($WINE32_LOADER) is not installed: run tools/setup first" >&2
                return 1
            elif host_runs_win32; then echo i686; else echo x86_64; fi ;;
        *) echo "DIMINUTO_ARCH must be i686, x86_64 or auto, not '$DIMINUTO_ARCH'" >&2; return 1 ;;
    esac
}

# The build folder of an architecture: the shipped i686 build itself, or an
# x86_64 build of the same sources inside it.
build_dir_for() {
    if [ "$1" = i686 ]; then echo "$BUILD_DIR"; else echo "$BUILD_DIR/$1"; fi
}

toolchain_for() {
    echo "$ROOT/cmake/toolchain-$1-mingw.cmake"
}

# Wine for architecture $1 (default: run_arch): quiet, one prefix per build
# folder, no Mono/Gecko prompts. $WINE is the loader to start programs with;
# Debian's `wine` would pick the 32-bit one whenever wine32 is installed.
wine_env() {
    local arch=${1:-}
    [ -n "$arch" ] || arch=$(run_arch) || return 1
    export DIMINUTO_ARCH=$arch
    if [ "$arch" = i686 ]; then
        export WINEARCH=win32 WINE=$WINE32_LOADER
    else
        export WINEARCH=win64 WINE=$WINE64_LOADER
    fi
    export WINELOADER=$WINE
    export WINEPREFIX=${WINEPREFIX_OVERRIDE:-$(build_dir_for "$arch")/wineprefix}
    export WINEDEBUG=-all
    # Overrides already set (a test's own) stay, after these.
    local overrides="mscoree,mshtml=;winemenubuilder.exe=d"
    case "${WINEDLLOVERRIDES:-}" in
        "$overrides"*) ;;
        "") export WINEDLLOVERRIDES=$overrides ;;
        *) export WINEDLLOVERRIDES="$overrides;$WINEDLLOVERRIDES" ;;
    esac
    # Libraries for Wine alone (the fake clock of some tests): preloaded into
    # this shell as well, libfaketime would share a 64-bit semaphore with
    # 32-bit Wine, which then waits on it for ever.
    [ -z "${DIMINUTO_WINE_PRELOAD:-}" ] || export LD_PRELOAD=$DIMINUTO_WINE_PRELOAD
}

# Creates the prefix once; every program in it runs inside one virtual
# desktop, so a hot key reaches the program that registered it.
wine_prefix_ready() {
    wine_env "$@" || return 1
    [ -f "$WINEPREFIX/.diminuto-ready" ] && return 0
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        if [ ! -f "$WINEPREFIX/.diminuto-ready" ]; then
            "$WINE" wineboot -i >/dev/null 2>&1 || true
            "$WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
            "$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
            wineserver -w
            [ -f "$WINEPREFIX/system.reg" ] || { echo "wine prefix $WINEPREFIX was not created" >&2; exit 1; }
            touch "$WINEPREFIX/.diminuto-ready"
        fi
    ) 9>"$WINEPREFIX.lock"
}

# The pid of a process of this prefix whose command line holds $1: its
# environment names the prefix.
prefix_process() {
    local pid
    for pid in $(pgrep -f -- "$1"); do
        tr "\\0" "\\n" 2>/dev/null <"/proc/$pid/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX" \
            && { echo "$pid"; return 0; }
    done
    return 1
}

# Starts the wineserver, the system services and the virtual desktop with
# their output detached, so no test inherits (and holds open) ctest's pipes.
wine_desktop_up() {
    wine_env "$@" || return 1
    wineserver -p
    "$WINE" explorer.exe /desktop=Default,1024x768 </dev/null >/dev/null 2>&1 &
    local i up=0
    for i in $(seq 1 120); do
        prefix_process 'explorer.exe /desktop=Default' >/dev/null && { up=1; break; }
        sleep 0.5
    done
    [ "$up" = 1 ] || { echo "wine desktop did not start" >&2; return 1; }
    for i in $(seq 1 10); do
        prefix_process rpcss.exe >/dev/null && break
        sleep 0.5
    done
}
