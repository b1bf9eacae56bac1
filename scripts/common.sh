# Shared settings of the project's scripts. Source it; do not run it.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${ZRN_BUILD:-$ROOT/build}"
export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"

log() { printf '== %s\n' "$*" >&2; }

# Starts Xvfb on a free display and exports DISPLAY; XVFB_PID holds its process.
start_xvfb() {
    local n
    for n in $(seq 70 120); do
        if [ ! -e "/tmp/.X${n}-lock" ] && [ ! -e "/tmp/.X11-unix/X${n}" ]; then
            Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
            XVFB_PID=$!
            export DISPLAY=":$n"
            for _ in $(seq 1 50); do
                [ -e "/tmp/.X11-unix/X${n}" ] && return 0
                sleep 0.1
            done
            kill "$XVFB_PID" 2>/dev/null || true
        fi
    done
    echo "no free X display for Xvfb" >&2
    return 1
}

stop_xvfb() {
    if [ -n "${XVFB_PID:-}" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=
    fi
}
