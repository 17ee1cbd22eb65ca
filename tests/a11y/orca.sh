#!/bin/bash
# A blind player's game: Orca listens on a private X display, session bus and
# accessibility bus while the first difficult stage is played to its clear by keys (the
# holes by their numbers and the targets in turn), and
# every line it speaks is read back from its debug log. Held keys are held as a player holds them,
# with the X server's own auto-repeat. Everything started here is stopped by its PID.
# Usage: orca.sh <folder of H_Stone and its four files> <key plan program>
set -u
game=$1
plan=$2
scratch=$(mktemp -d)
pids=()
stop() {
    kill "${pids[@]}" 2>/dev/null
    wait "${pids[@]}" 2>/dev/null
    [ -n "${KEEP:-}" ] && echo "kept $scratch" >&2 || rm -rf "$scratch"
}
trap stop EXIT
fail() {
    KEEP=1  # its scratch folder stays, with Orca's whole log, to be read
    echo "FAILED: $*" >&2
    echo "--- the last lines Orca spoke:" >&2
    spoken | tail -n 25 >&2
    tail -n 5 "$scratch/orca.out" >&2
    exit 1
}
spoken() { grep -a "SPEECH OUTPUT: " "$log" 2>/dev/null; }
count() { spoken | grep -c -F -- "$1"; }
# What was spoken after the last line holding $1.
since() { spoken | awk -v t="$1" 'index($0, t) { after = ""; next } { after = after $0 "\n" } END { printf "%s", after }'; }
# Waits until Orca has spoken a line holding $1 at least $2 times (once by default); a
# busy machine gets half a minute.
heard() {
    for _ in $(seq 600); do
        [ "$(count "$1")" -ge "${2:-1}" ] && return 0
        sleep 0.05
    done
    fail "Orca never said \"$1\" (${2:-1} times)"
}
key() { xdotool key $1; }  # "1 3": the digits of one number, struck together
hold() { xdotool keydown "$1"; sleep 1.5; xdotool keyup "$1"; }

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$scratch/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 250); do grep -q . "$scratch/display" && break; sleep 0.02; done
export DISPLAY=":$(head -n 1 "$scratch/display")"
openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
session=$(dbus-daemon --session --fork --print-address=1 --print-pid=1) || fail "no session bus"
export DBUS_SESSION_BUS_ADDRESS=$(echo "$session" | sed -n 1p)
pids+=("$(echo "$session" | sed -n 2p)")
export HOME=$scratch/home XDG_RUNTIME_DIR=$scratch/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 250); do
    dbus-send --session --dest=org.a11y.Bus --print-reply /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null 2>&1 && break
    sleep 0.02
done
# Orca as its launcher starts it, but with its log written line by line, to be read as it
# speaks, and beside any Orca of the developer's own (the launcher refuses to start a
# second one for the same user).
# It speaks its own words (role names, "Screen reader on.") in the desktop's language: the
# test reads them in English, whatever language the developer's desktop has. Its speech's
# sound client, without a runtime folder, makes one in TMPDIR: the scratch folder, removed at the end.
log=$scratch/orca.log  # what the Orca running now writes
startOrca() {
    env -u XDG_RUNTIME_DIR -u LANGUAGE LANG=C.UTF-8 LC_ALL=C.UTF-8 TMPDIR="$scratch" /usr/bin/python3 - "$log" >"$scratch/orca.out" 2>&1 <<'PY' &
import builtins, runpy, sys
log = sys.argv[1]
sys.argv = ["orca", "--debug-file=" + log]
plain_open = builtins.open
builtins.open = lambda f, mode="r", *a, **k: plain_open(f, mode, 1) if f == log else plain_open(f, mode, *a, **k)
launcher = runpy.run_path("/usr/bin/orca", run_name="orca_launcher")
launcher["main"].__globals__["otherOrcas"] = lambda: []
sys.exit(launcher["main"]())
PY
    orca=$!
    pids+=($orca)
}
startOrca
# Orca names a role in its accessibility library's words, which differ by release (Orca 43
# says "$button", Orca 48 "button"): they are asked of the library Orca uses, in the
# language Orca speaks here.
IFS=$'\t' read -r button frame < <(LANG=C.UTF-8 LC_ALL=C.UTF-8 /usr/bin/python3 -c '
import gi
gi.require_version("Atspi", "2.0")
from gi.repository import Atspi
if hasattr(Atspi, "role_get_localized_name"):  # Orca 48
    name = Atspi.role_get_localized_name
else:  # Orca 43 goes through ATK
    gi.require_version("Atk", "1.0")
    from gi.repository import Atk
    name = lambda r: Atk.role_get_localized_name(Atk.role_for_name(Atspi.role_get_name(r)))
print(name(Atspi.Role.PUSH_BUTTON), name(Atspi.Role.FRAME), sep="\t")
')
[ -n "$button" ] && [ -n "$frame" ] || fail "no role names from the accessibility library"
heard "Screen reader on."
# Orca says so before it listens to the desktop's events ("Starting registry" in its log):
# on a busy machine a game started in between opened its title to nobody.
for _ in $(seq 600); do
    grep -a -q "ORCA: Starting registry" "$log" && break
    sleep 0.05
done
# Started as a player starts it: nothing tells Qt to speak but the screen reader itself.
startGame() {
    (cd "$game" && exec env -u WAYLAND_DISPLAY -u QT_LINUX_ACCESSIBILITY_ALWAYS_ON QT_QPA_PLATFORM=xcb ./H_Stone) >/dev/null 2>&1 &
    hopstone=$!
    pids+=($hopstone)
}
startGame

heard "タイトル：Enter、Space または Escape キーでメニューへ"
hold Return  # passes the title, and nothing more
heard "ボード - A $button"
sleep 1
[ "$(count "ボード - A")" = 1 ] && [ "$(count "START")" = 0 ] || fail "a held Return opened a mode from the menu"
key Tab
heard "ボード - B $button"
key Tab
heard "難問ステージ $button"
hold Return  # opens the stages, but does not press START
heard "START $button"
sleep 1
# A pressed START would hand the keyboard to the screen, heard by its name.
[ "$(since "START $button" | grep -c -F "難問ステージ $frame")" = 0 ] || fail "a held Return pressed START"
key Return
for _ in $(seq 600); do  # the keyboard rests on the screen, named for its mode
    [ "$(since "START $button" | grep -c -F "難問ステージ $frame")" -ge 1 ] && break
    sleep 0.05
done
[ "$(since "START $button" | grep -c -F "難問ステージ $frame")" -ge 1 ] || fail "after START the screen was not named"
# While the holes appear the keys do nothing; the plan's first key, once they are all
# there, brings the mark on.
IFS=$'\t' read -r k words < <("$plan" | head -n 1)
for _ in $(seq 30); do
    key "$k"
    for _ in $(seq 40); do
        [ "$(count "$words")" -ge 1 ] && break 2
        sleep 0.05
    done
done
heard "ステージ 1 かいし"
key t  # the time and pieces, the mark staying where it is
heard "びょう、こま 4、ステージ 1"

# Every announcement the game must make, in order, to be matched against all Orca spoke.
expected=$scratch/expected
: >"$expected"
first=1
while IFS=$'\t' read -r k words; do
    case $words in "'"*) ;; *) echo "$words" >>"$expected" ;; esac  # a hole, or an announcement
    before=$(count "$words")
    if [ $first = 1 ] && [ "$k" = Return ]; then
        hold Return  # picks up once, never puts down and picks up again
        heard "$words"
        sleep 1
        [ "$(count "$words")" = 1 ] && [ "$(count "に もどしました")" = 0 ] || fail "a held Return acted twice on a hole"
        key Escape
        heard "に もどしました"
        echo "に もどしました" >>"$expected"
        echo "$words" >>"$expected"
        key Return
        before=1
        first=0
    else
        key "$k"
    fi
    heard "$words" $((before + 1))
done < <("$plan" | tail -n +2)  # its first line, the first arrow, is done
heard "ステージ1クリア！"
key Return
heard "START $button" 2
! grep -q "bad content sent to speak" "$log" || fail "Orca was sent something other than words"
# Each announcement spoken once, with its own words and in its turn: never an earlier
# one's words again (Orca 48 keeps what it read of an object), none missing, none twice.
spoken | grep -a -E "もちあげ。|に もどしました|を とびこえました" >"$scratch/announced"
paste -d '\n' "$expected" "$scratch/announced" | awk 'NR % 2 { want = $0; next } !index($0, want) { bad = 1 } END { exit bad }' &&
    [ "$(wc -l <"$expected")" = "$(wc -l <"$scratch/announced")" ] ||
    fail "the announcements were not each spoken once in turn: $(paste "$expected" "$scratch/announced" | sed 's/.*SPEECH OUTPUT://' | tr '\n' '|')"
# The box the last move opened begins with that move's words (a notification after it
# would cut the box's words off on Orca 48).
tail -n 1 "$scratch/announced" | grep -a -q "alert " || fail "the stage's box did not begin with the last move's words"
# No hole is heard as a target while no piece is up: Orca 48 keeps a description it read
# until it is told it changed.
spoken | awk '/を とびこえました|に もどしました/ { up = 0 } /もちあげ。/ { up = 1 } !up && /ここへ/ { bad = 1 } END { exit bad }' ||
    fail "a hole was heard as a target with no piece up"
# Qt 6.4 sends a changed name without its words, an object where the words should be:
# Orca, reaching a window's while it is active, would try to speak the window itself.
# However slow the game, no window may send one (Qt 6.8 sends them with their words).
! grep -a -q -E "property-change:accessible-name for \[(frame|dialog|alert)[: ].*\(0, 0, \[(frame|dialog|alert)[: ]" "$log" ||
    fail "a window sent a change of its name"
# HOPSTONE_ORCA_UNTIL=N plays on to stage N's clear, the roulette's draw included, for a
# person to read what Orca says; the suite plays the first stage only.
for ((stage = 2; stage <= ${HOPSTONE_ORCA_UNTIL:-1}; ++stage)); do
    starts=$(count "START $button")
    played=$stage
    if [ "$stage" = 8 ]; then
        key Return
        heard "やっとステージ"
        key Return
        heard "STOP $button"
        while :; do
            drawn=$(count "よし、ステージ") zero=$(count "0だと")
            key Return
            for _ in $(seq 600); do
                [ "$(count "よし、ステージ")" -gt "$drawn" ] || [ "$(count "0だと")" -gt "$zero" ] && break
                sleep 0.05
            done
            [ "$(count "よし、ステージ")" -gt "$drawn" ] && break
            key Return  # "0": the roulette spins again
            sleep 0.5
        done
        played=$(spoken | grep -a -o "よし、ステージ[0-9]" | tail -n 1 | grep -o "[0-9]$")
    fi
    begun=$(count "ステージ $played かいし")
    key Return
    heard "ステージ $played かいし" $((begun + 1))
    while IFS=$'\t' read -r k words; do
        before=$(count "$words")
        key "$k"
        heard "$words" $((before + 1))
    done < <("$plan" "$played")
    if [ "$stage" = 8 ]; then heard "よくクリアしたな。"; else heard "ステージ${stage}クリア！"; fi
    key Return
    heard "START $button" $((starts + 1))
done
lines=$(spoken | wc -l)
# A screen reader started after the game, its title up, is told of the title.
kill "$orca" "$hopstone"
wait "$orca" "$hopstone" 2>/dev/null
startGame
timeout 30 xdotool search --sync --onlyvisible --pid "$hopstone" >/dev/null || fail "the game started again showed no window"
log=$scratch/orca-again.log
startOrca
heard "タイトル：Enter、Space または Escape キーでメニューへ"
# Qt's bridge on a slow machine, or without the X property that gives the accessibility
# bus at once (Wayland), comes up after the title is active: Orca, listening already, is
# told of it then. The game gets a session bus of its own whose accessibility service
# holds the bus's address back until the title is up.
kill "$hopstone"
wait "$hopstone" 2>/dev/null
a11y=$(dbus-send --session --dest=org.a11y.Bus --print-reply=literal /org/a11y/bus org.a11y.Bus.GetAddress | tr -d ' ')
slow=$(dbus-daemon --session --fork --print-address=1 --print-pid=1) || fail "no second session bus"
pids+=("$(echo "$slow" | sed -n 2p)")
export DBUS_SESSION_BUS_ADDRESS=$(echo "$slow" | sed -n 1p)
/usr/bin/python3 "$(dirname "$0")/latebus.py" "$a11y" "$scratch/bus-answers" &
pids+=($!)
# Asked whether the name is owned, not called: a call would start the real service.
for _ in $(seq 250); do
    dbus-send --session --dest=org.freedesktop.DBus --print-reply /org/freedesktop/DBus org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus | grep -q true && break
    sleep 0.02
done
xprop -root -remove AT_SPI_BUS
startGame
timeout 30 xdotool search --sync --onlyvisible --pid "$hopstone" >/dev/null || fail "the game on a slow bus showed no window"
sleep 1
[ "$(count "タイトル：")" = 1 ] || fail "the title was heard before Qt's bridge was there"
touch "$scratch/bus-answers"
heard "タイトル：Enter、Space または Escape キーでメニューへ" 2
echo "Orca spoke $lines lines; every move, pick-up, put-back and the stage's clear among them; started again, it heard where the game stood, and heard the title Qt's bridge came up after"
