#!/bin/sh
# Runs the window flows under weston's headless backend (a private socket and runtime
# folder), on Qt's Wayland platform, and stops weston by its process id.
set -u
test_program=$1
shift
runtime=$(mktemp -d)
chmod 700 "$runtime"
weston=
trap 'kill $weston 2>/dev/null; wait $weston 2>/dev/null; rm -rf "$runtime"' EXIT
XDG_RUNTIME_DIR=$runtime weston --backend=headless-backend.so --socket=hop --idle-time=0 \
    --width=1280 --height=1024 >"$runtime/weston.log" 2>&1 &
weston=$!
for _ in $(seq 250); do [ -S "$runtime/hop" ] && break; sleep 0.02; done
if [ ! -S "$runtime/hop" ]; then
    echo "weston did not start (scripts/install-deps installs it):" >&2
    cat "$runtime/weston.log" >&2
    exit 1
fi
# The Wayland client libraries keep a few allocations to the end; the X runs check
# the game's own memory.
ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" \
env -u DISPLAY -u PULSE_SERVER XDG_RUNTIME_DIR=$runtime WAYLAND_DISPLAY=hop QT_QPA_PLATFORM=wayland "$test_program" "$@"
