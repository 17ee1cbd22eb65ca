#!/bin/sh
# Runs the X tests on a private Xvfb (it picks a free display) with openbox, and stops
# both by their process ids. Optional: the screen's size (1280x1024) and Qt's scale
# factor, then arguments for the test program. Other test runs start X servers at the same time, so a
# display that is lost or never comes up is given up and another one started.
set -u
test_program=$1
size=${2:-1280x1024}
scale=${3:-1}
shift $(($# < 3 ? $# : 3))
scratch=$(mktemp -d)
xvfb= openbox= bus=
stop() { kill $openbox $xvfb 2>/dev/null; wait $openbox $xvfb 2>/dev/null; openbox= xvfb=; }
stop_bus() { [ -n "$bus" ] && kill "$bus" 2>/dev/null; bus=; }
trap 'stop_bus; stop; rm -rf "$scratch"' EXIT
up() { # <command>: tries for 5 s
    for _ in $(seq 250); do "$@" >/dev/null 2>&1 && return 0; sleep 0.02; done
    return 1
}
for attempt in 1 2 3; do
    : >"$scratch/display"
    Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3>"$scratch/display" 2>/dev/null &
    xvfb=$!
    up grep -q . "$scratch/display" && export DISPLAY=":$(head -n 1 "$scratch/display")" && up xprop -root >/dev/null &&
        { openbox --sm-disable >/dev/null 2>&1 & openbox=$!; } &&
        # openbox names its theme on the root window late in its start.
        up sh -c 'xprop -root _OB_THEME | grep -q "="' && break
    stop
done
if [ -z "$openbox" ]; then
    echo "Xvfb and openbox did not start (scripts/install-deps installs them)" >&2
    exit 1
fi
# A private session bus, so that nothing reaches the desktop's own.
if session=$(dbus-daemon --session --fork --print-address=1 --print-pid=1 2>/dev/null); then
    export DBUS_SESSION_BUS_ADDRESS=$(echo "$session" | sed -n 1p)
    bus=$(echo "$session" | sed -n 2p)
fi
# A runtime folder of its own, so that the game's sounds find no server: they would play
# on the developer's own speakers.
env -u PULSE_SERVER XDG_RUNTIME_DIR="$scratch" QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$scale "$test_program" "$@"
